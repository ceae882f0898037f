#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "logstore/RStoreClass.h"
#include "platform/memory/FakeClock.h"

namespace zeva::test {

// A fresh base folder per test, removed afterwards, and a store on a fake clock.
class LogStoreFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        base = std::filesystem::temp_directory_path() /
               ("zeva-logstore-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(base);
        std::filesystem::create_directories(base);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(base, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(base, ec);
    }

    static std::string ReadFile(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void AppendFile(const std::filesystem::path& p, const std::string& bytes) {
        std::ofstream out(p, std::ios::binary | std::ios::app);
        out << bytes;
    }

    std::filesystem::path base;
    FakeClock clock{45123.25};
    RStoreClass store{clock};
};

} // namespace zeva::test
