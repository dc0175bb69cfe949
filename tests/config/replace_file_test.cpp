// A save that fails must leave the previous file as it was; one that succeeds writes what
// writeFile would have written.
#include "config/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using orvane::config::TextFileBuffer;

std::string bytesOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Writes half of what it is given and reports the short count, as a full disk would.
std::size_t failHalfway(const void* data, std::size_t size, std::size_t count, std::FILE* file) {
    return std::fwrite(data, size, count / 2, file);
}

class ReplaceFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("orvane_replace_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::u16string path(const char* name) const {
        const std::string p = (dir_ / name).string();
        return std::u16string(p.begin(), p.end());
    }
    fs::path dir_;
};

TEST_F(ReplaceFile, WritesExactlyWhatWriteFileWritesAndLeavesNoTemporary) {
    TextFileBuffer file;
    file.setText(u"['a'] = 1;\n['b'] = 'x';\n");
    ASSERT_TRUE(file.writeFile(path("plain.cfg")));
    std::ofstream(dir_ / "safe.cfg") << "old content";
    ASSERT_TRUE(file.replaceFile(path("safe.cfg")));
    EXPECT_EQ(bytesOf(dir_ / "safe.cfg"), bytesOf(dir_ / "plain.cfg"));
    EXPECT_EQ(bytesOf(dir_ / "safe.cfg").substr(0, 2), "\xFF\xFE");
    EXPECT_FALSE(fs::exists(dir_ / "safe.cfg.tmp"));
}

TEST_F(ReplaceFile, AFaultMidwayKeepsThePreviousFile) {
    std::ofstream(dir_ / "settings.cfg", std::ios::binary) << "previous settings";
    TextFileBuffer file;
    file.setText(std::u16string(10000, u'x'));
    EXPECT_FALSE(file.replaceFile(path("settings.cfg"), failHalfway));
    EXPECT_EQ(bytesOf(dir_ / "settings.cfg"), "previous settings");
    EXPECT_FALSE(fs::exists(dir_ / "settings.cfg.tmp"));
}

TEST_F(ReplaceFile, AMissingDirectoryFailsWithoutCreatingAnything) {
    TextFileBuffer file;
    file.setText(u"x");
    EXPECT_FALSE(file.replaceFile(path("absent/settings.cfg")));
    EXPECT_FALSE(fs::exists(dir_ / "absent"));
}

}  // namespace

namespace {

// An include name can hold a NUL; the C library would stop the name there and open another file.
TEST_F(ReplaceFile, APathWithANulOpensNothing) {
    std::ofstream(dir_ / "a", std::ios::binary) << "kept";
    const std::string bad = (dir_ / "a").string() + std::string(1, '\0') + "b";
    TextFileBuffer file;
    EXPECT_FALSE(file.readFile(bad));
    file.setText(u"new");
    const std::u16string wide(bad.begin(), bad.end());
    EXPECT_FALSE(file.writeFile(wide));
    EXPECT_FALSE(file.replaceFile(wide));
    EXPECT_EQ(bytesOf(dir_ / "a"), "kept");
}

}  // namespace
