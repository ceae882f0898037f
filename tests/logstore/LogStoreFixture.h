#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "logstore/RStoreClass.h"
#include "tests/support/SiteFolder.h"
#include "tests/support/memory/FakeClock.h"

namespace zeva::test {

// A fresh base folder per test, removed afterwards, and a store on a fake clock.
class LogStoreFixture : public ::testing::Test {
  protected:
    static std::string ReadFile(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void AppendFile(const std::filesystem::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary | std::ios::app) << bytes;
    }
    // Every entry from line `from` on, as "type:data".
    std::vector<std::string> ReadFrom(std::int32_t from) {
        std::vector<std::string> out;
        EXPECT_TRUE(store.FindLog(from));
        while (store.GetLog(-1))
            out.push_back(std::to_string(store.LType()) + ":" + store.LData());
        return out;
    }

    SiteFolder site{"zeva-logstore"};
    const std::filesystem::path base = site.Path();
    FakeClock clock{45123.25};
    RStoreClass store{clock};
};

} // namespace zeva::test
