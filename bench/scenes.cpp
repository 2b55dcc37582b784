#include "scenes.h"

#include <string>

namespace quorvel::bench {

namespace {

void writeCommonFiles(const BenchHost& host, int maxWarpAreas) {
    host.writeFile("quorvel.ini", settingsText(maxWarpAreas));
    host.writeFile("WarpArea.ini", warpAreaText());
    host.writeFile("WarpTeam.ini", "400 400\n600 400\n400 600\n600 600\n0\n");
}

PlayerRecord& addStaff(BenchHost& host) {
    return host.add({.name = "Staffer", .team = 9999, .ship = 8, .accessLevel = 2});
}

// The store's arena; `databaseSection` is added to quorvel.ini.
Scene storeSceneWith(std::size_t accounts, const std::string& databaseSection) {
    Scene scene;
    BenchHost& host = *scene.host;
    writeCommonFiles(host, 20);
    if (!databaseSection.empty()) {
        host.writeFile("quorvel.ini", settingsText(20) + databaseSection);
    }
    host.writeFile("gold.dat", goldFileBytes(accounts));
    host.writeFile("inv.dat", inventoryFileBytes(accounts));
    scene.staff = &addStaff(host);
    scene.actor = &host.add({.name = accountName(accounts - 1), .team = 0});
    scene.other = &host.add({.name = accountName(accounts / 2), .team = 1});
    host.handshake();
    host.command(*scene.staff, "alloff", "");
    host.enter(*scene.actor);
    host.enter(*scene.other);
    return scene;
}

} // namespace

Scene storeScene(std::size_t accounts) {
    return storeSceneWith(accounts, "");
}

Scene databaseStoreScene(std::size_t accounts, const std::string& connection,
                         const std::string& hostId) {
    return storeSceneWith(accounts, "[Database]\nEconomy=database\nConnection=" + connection +
                                        "\nHostId=" + hostId + "\nTerminateWaitMs=0\n");
}

Scene moveScene(bool areaWarp) {
    Scene scene;
    BenchHost& host = *scene.host;
    writeCommonFiles(host, 20);
    host.writeFile("gold.dat", goldFileBytes(10));
    host.writeFile("inv.dat", inventoryFileBytes(10));
    scene.staff = &addStaff(host);
    PlayerRecord& first = host.add({.name = accountName(1), .team = 0, .antiwarp = true});
    PlayerRecord& second = host.add({.name = accountName(2), .team = 1, .antiwarp = true});
    host.handshake();
    host.command(*scene.staff, "twarpoff", "");
    host.command(*scene.staff, "iwarpoff", "");
    if (!areaWarp) {
        host.command(*scene.staff, "awarpoff", "");
    }
    host.command(*scene.staff, "newpick", "");
    // The last private line of a draw is the rabbit's bounty.
    const bool firstIsRabbit = host.lastPrivateTarget() == first.ident;
    scene.actor = firstIsRabbit ? &first : &second;
    scene.other = firstIsRabbit ? &second : &first;
    return scene;
}

Scene tickScene() {
    Scene scene;
    BenchHost& host = *scene.host;
    writeCommonFiles(host, 20);
    host.writeFile("gold.dat", goldFileBytes(100));
    host.writeFile("inv.dat", inventoryFileBytes(100));
    scene.staff = &addStaff(host);
    for (int i = 0; i < 99; ++i) {
        host.add({.name = accountName(static_cast<std::size_t>(i)),
                  .team = static_cast<std::uint16_t>(i % 3),
                  .ship = static_cast<std::uint8_t>(i % 8),
                  .tileX = 100 + i,
                  .tileY = 100});
    }
    host.handshake();
    host.command(*scene.staff, "check", "");
    host.command(*scene.staff, "zon", "");
    host.command(*scene.staff, "newpick", "");
    return scene;
}

} // namespace quorvel::bench
