#include "lib/module_loader.h"

#include <gtest/gtest.h>

using namespace quorvel::host;

namespace {

std::string loadError(const std::string& path) {
    try {
        LoadedModule module(path);
    } catch (const ModuleLoadError& e) {
        return e.what();
    }
    return "(loaded)";
}

} // namespace

TEST(Loader, FindsTalkByName) {
    LoadedModule module(FAKE_MODULE_PATH);
    EXPECT_NE(module.talk(), nullptr);
}

TEST(Loader, RefusalsNameThePathAndTheReason) {
    std::string missing = loadError("/nonexistent/libnothing.so");
    EXPECT_NE(missing.find("cannot load module /nonexistent/libnothing.so: "), std::string::npos);
    EXPECT_GT(missing.size(),
              std::string("cannot load module /nonexistent/libnothing.so: ").size());
    std::string noTalk = loadError(NO_TALK_MODULE_PATH);
    EXPECT_NE(noTalk.find(std::string("module ") + NO_TALK_MODULE_PATH + " has no export talk"),
              std::string::npos);
}
