// State of the bounty rabbit game.
#pragma once

#include <quorvel/host_abi.h>

#include "base/service/service.h"

#include <cstdint>

namespace quorvel {

struct RabbitGame : Service {
    using Service::Service;

    const PlayerRecord* rabbit = nullptr; // none: no game running
    std::int32_t rabbitCountdown = 0;     // seconds left of the rabbit's 10 minutes
    std::int32_t safetyCountdown = 0;     // seconds it may still stay in a safety zone
};

} // namespace quorvel
