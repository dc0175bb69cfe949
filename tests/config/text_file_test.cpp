#include "config/text_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "value/text.h"

using namespace orvane;
using namespace orvane::config;

namespace {

std::string hex(std::string_view bytes) {
    std::string out;
    for (unsigned char b : bytes) out += narrow(format(u"%02X ", b));
    return out;
}

std::string bytes(std::initializer_list<int> list) {
    std::string out;
    for (int b : list) out += static_cast<char>(b);
    return out;
}

}  // namespace

TEST(TextFileDecode, DetectsTheEncodingFromMarksAndZeroBytes) {
    struct Row { const char* name; std::string in; TextEncoding encoding; bool mark; std::u16string text; };
    using E = TextEncoding;
    const Row rows[] = {
        {"empty is Latin-1", "", E::Latin1, false, u""},
        {"one high byte is Latin-1", "\xFF", E::Latin1, false, u"\u00FF"},
        {"FE FF only", "\xFE\xFF", E::Utf16BE, true, u""},
        {"UTF-16LE with mark", bytes({0xFF, 0xFE, 0xAC, 0x20, 'a', 0}), E::Utf16LE, true, u"\u20ACa"},
        {"UTF-16BE with mark", bytes({0xFE, 0xFF, 0x20, 0xAC, 0, 'a'}), E::Utf16BE, true, u"\u20ACa"},
        {"UTF-8 with mark", "\xEF\xBB\xBF" "a\xC3\xA9", E::Utf8, true, u"a\u00E9"},
        {"half a UTF-8 mark is Latin-1", "\xEF\xBB", E::Latin1, false, u"\u00EF\u00BB"},
        {"unmarked UTF-8 reads as Latin-1", "\xC3\xA9", E::Latin1, false, u"\u00C3\u00A9"},
        {"unmarked UTF-16LE by its second byte", bytes({'a', 0, 'b', 0}), E::Utf16LE, false, u"ab"},
        {"unmarked UTF-16BE by its first byte", bytes({0, 'a', 0, 'b'}), E::Utf16BE, false, u"ab"},
        {"two zero bytes are Latin-1", bytes({0, 0, 'x'}), E::Latin1, false, std::u16string(u"\0\0x", 3)},
        {"odd trailing byte dropped", bytes({0xFF, 0xFE, 'a', 0, 'b'}), E::Utf16LE, true, u"a"},
        {"only the first mark is removed", bytes({0xFF, 0xFE, 0xFF, 0xFE, 'a', 0}), E::Utf16LE, true, u"\uFEFFa"},
        {"CR LF folds on characters, a lone CR stays", bytes({0xFE, 0xFF, 0, 'a', 0, '\r', 0, '\n', 0, '\r'}),
         E::Utf16BE, true, u"a\n\r"},
    };
    for (const Row& r : rows) {
        TextFileBuffer file;
        file.decode(r.in);
        EXPECT_EQ(file.encoding, r.encoding) << r.name;
        EXPECT_EQ(file.writeMark, r.mark) << r.name;
        EXPECT_EQ(file.text, r.text) << r.name;
    }
}

TEST(TextFileDecode, AGivenEncodingIsUsedWithoutDetection) {
    struct Row { const char* name; TextEncoding encoding; std::string in; std::u16string text; };
    const Row rows[] = {
        {"Latin-1 keeps mark bytes as characters", TextEncoding::Latin1, "\xFF\xFEz", u"\u00FF\u00FEz"},
        {"Latin-1 line ends", TextEncoding::Latin1, "a\r\nb\r\r\n\n\r", u"a\nb\r\n\n\r"},
        {"UTF-8 skips bytes that start no sequence", TextEncoding::Utf8, "\xFF\xFEz", u"z"},
        {"UTF-8 drops a decoded mark", TextEncoding::Utf8, "\xEF\xBB\xBFz", u"z"},
        {"UTF-16LE needs no mark", TextEncoding::Utf16LE, bytes({0, 'a'}), u"\u6100"},
        {"UTF-16BE swaps every unit", TextEncoding::Utf16BE, bytes({'a', 0}), u"\u6100"},
        {"UTF-16BE drops a decoded mark", TextEncoding::Utf16BE, bytes({0xFE, 0xFF, 0, 'a'}), u"a"},
    };
    for (const Row& r : rows) {
        TextFileBuffer file;
        file.encoding = r.encoding;
        file.writeMark = false;
        file.decode(r.in);
        EXPECT_EQ(file.encoding, r.encoding) << r.name;
        EXPECT_FALSE(file.writeMark) << r.name;
        EXPECT_EQ(file.text, r.text) << r.name;
    }
}

TEST(TextFileEncode, WritesMarksBytesAndCrLfPerEncoding) {
    struct Row { const char* name; TextEncoding encoding; bool mark; std::u16string text; std::string out; };
    using E = TextEncoding;
    const Row rows[] = {
        {"Latin-1 never has a mark, ? for the euro sign", E::Latin1, true, u"\u20ACA\u00E9", "?A\xE9"},
        {"Auto writes like Latin-1", E::Auto, true, u"\u20AC\u00E9", "?\xE9"},
        {"UTF-8 with mark", E::Utf8, true, u"\u00E9", "\xEF\xBB\xBF\xC3\xA9"},
        {"UTF-8 without mark", E::Utf8, false, u"a\u20AC", "a\xE2\x82\xAC"},
        {"UTF-16LE with mark", E::Utf16LE, true, u"A\u20AC", bytes({0xFF, 0xFE, 'A', 0, 0xAC, 0x20})},
        {"UTF-16BE with mark", E::Utf16BE, true, u"A\u20AC", bytes({0xFE, 0xFF, 0, 'A', 0x20, 0xAC})},
        {"UTF-16BE without mark", E::Utf16BE, false, u"A", bytes({0, 'A'})},
        {"empty UTF-16LE is the mark", E::Utf16LE, true, u"", bytes({0xFF, 0xFE})},
        {"CR before every LF that lacks one", E::Latin1, false, u"\na\nb\rc\r\n\n", "\r\na\r\nb\rc\r\n\r\n"},
        {"CR LF in UTF-8", E::Utf8, false, u"\na\r\n", "\r\na\r\n"},
        {"CR LF in UTF-16LE", E::Utf16LE, false, u"a\nb\r\n",
         bytes({'a', 0, '\r', 0, '\n', 0, 'b', 0, '\r', 0, '\n', 0})},
    };
    for (const Row& r : rows) {
        TextFileBuffer file;
        file.text = r.text;
        file.encoding = r.encoding;
        file.writeMark = r.mark;
        EXPECT_EQ(hex(file.encode()), hex(r.out)) << r.name;
    }
    TextFileBuffer autoFile;
    autoFile.setText(u"x");
    EXPECT_EQ(autoFile.encoding, TextEncoding::Utf16LE) << "an Auto buffer becomes marked UTF-16LE";
    EXPECT_EQ(hex(autoFile.encode()), hex(bytes({0xFF, 0xFE, 'x', 0})));
    TextFileBuffer latin;
    latin.encoding = TextEncoding::Latin1;
    latin.writeMark = false;
    latin.setText(u"y");
    EXPECT_EQ(latin.encoding, TextEncoding::Latin1);
    EXPECT_FALSE(latin.writeMark);
    EXPECT_EQ(latin.text, u"y");
}

class TextFileDisk : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("orvane_text_file_" + std::to_string(std::random_device{}()) + "_" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(std::string_view name) const { return (dir_ / name).string(); }
    std::u16string widePath(std::string_view name) const { return widen(path(name)); }

    std::string contents(std::string_view name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void put(std::string_view name, std::string_view data) const {
        std::ofstream out(path(name), std::ios::binary);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
    }

    std::filesystem::path dir_;
};

TEST_F(TextFileDisk, WrittenFilesReadBackInEveryEncoding) {
    struct Row { const char* name; TextEncoding encoding; bool mark; TextEncoding detected; std::u16string back; };
    const std::u16string text = u"a = '\u00E9\u20AC';\n\tb = 2;\r\n", same = u"a = '\u00E9\u20AC';\n\tb = 2;\n";
    const Row rows[] = {
        {"Latin-1", TextEncoding::Latin1, true, TextEncoding::Latin1, u"a = '\u00E9?';\n\tb = 2;\n"},
        {"UTF-8 unmarked reads as Latin-1", TextEncoding::Utf8, false, TextEncoding::Latin1, widen(toUtf8(same))},
        {"UTF-16BE marked", TextEncoding::Utf16BE, true, TextEncoding::Utf16BE, same},
    };
    for (const Row& r : rows) {
        TextFileBuffer out;
        out.encoding = r.encoding;
        out.writeMark = r.mark;
        out.setText(text);
        ASSERT_TRUE(out.writeFile(widePath("round.cfg"))) << r.name;
        EXPECT_EQ(hex(contents("round.cfg")), hex(out.encode())) << r.name;
        TextFileBuffer in;
        ASSERT_TRUE(in.readFile(path("round.cfg"))) << r.name;
        EXPECT_EQ(in.encoding, r.detected) << r.name;
        EXPECT_EQ(in.writeMark, r.mark && r.encoding != TextEncoding::Latin1) << r.name;
        EXPECT_EQ(in.text, r.back) << r.name;
    }
}

TEST_F(TextFileDisk, ReadsLargeAndEmptyFiles) {
    std::string data;
    for (int i = 0; data.size() < 300000; ++i) data += "line " + std::to_string(i) + " \xE9\r\n";
    put("big.cfg", data);
    TextFileBuffer file;
    ASSERT_TRUE(file.readFile(path("big.cfg")));
    EXPECT_EQ(file.encoding, TextEncoding::Latin1);
    EXPECT_TRUE(file.encode() == data) << "a file larger than one read chunk, byte for byte";

    put("empty.cfg", "");
    TextFileBuffer empty;
    empty.text = u"old";
    ASSERT_TRUE(empty.readFile(path("empty.cfg")));
    EXPECT_EQ(empty.text, u"");
    EXPECT_EQ(empty.encoding, TextEncoding::Latin1);
    EXPECT_FALSE(empty.writeMark);
}

TEST_F(TextFileDisk, FailuresLeaveTheBufferUnchanged) {
    TextFileBuffer file;
    file.text = u"kept";
    EXPECT_FALSE(file.readFile(path("missing.cfg")));
    EXPECT_FALSE(file.readFile(dir_.string()));  // a directory is no file
    EXPECT_EQ(file.text, u"kept");
    EXPECT_EQ(file.encoding, TextEncoding::Auto);
    EXPECT_TRUE(file.writeMark);
    EXPECT_FALSE(file.writeFile(widePath("no such folder/x.cfg")));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "no such folder"));
}

TEST_F(TextFileDisk, WritingTruncatesAndNarrowsThePathByTheLatin1Rule) {
    put("x?.cfg", "a much longer older content");
    TextFileBuffer file;
    file.encoding = TextEncoding::Latin1;
    file.text = u"z";
    ASSERT_TRUE(file.writeFile(widen(path("x")) + u"\u20AC.cfg"));
    EXPECT_EQ(contents("x?.cfg"), "z");
}

#ifndef _WIN32
TEST_F(TextFileDisk, BackslashSeparatesFoldersOnPosix) {
    std::filesystem::create_directories(dir_ / "sub");
    TextFileBuffer out;
    out.encoding = TextEncoding::Latin1;
    out.text = u"v = 1;";
    ASSERT_TRUE(out.writeFile(widen(dir_.string()) + u"\\sub\\in.cfg"));
    EXPECT_EQ(contents("sub/in.cfg"), "v = 1;");
    TextFileBuffer in;
    ASSERT_TRUE(in.readFile(dir_.string() + "\\sub\\in.cfg"));
    EXPECT_EQ(in.text, u"v = 1;");
}
#endif

// Saving through a temporary: a failed save leaves the previous file as it was, a good one writes
// what writeFile writes.
TEST_F(TextFileDisk, ReplaceWritesWhatWriteFileWritesAndLeavesNoTemporary) {
    TextFileBuffer file;
    file.setText(u"['a'] = 1;\n['b'] = 'x';\n");
    ASSERT_TRUE(file.writeFile(widePath("plain.cfg")));
    put("safe.cfg", "old content");
    ASSERT_TRUE(file.replaceFile(widePath("safe.cfg")));
    EXPECT_EQ(contents("safe.cfg"), contents("plain.cfg"));
    EXPECT_EQ(contents("safe.cfg").substr(0, 2), "\xFF\xFE");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "safe.cfg.tmp"));

    EXPECT_FALSE(file.replaceFile(widePath("absent/settings.cfg")));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "absent"));
}

TEST_F(TextFileDisk, ReplaceFailingMidwayKeepsThePreviousFile) {
    // Writes half of what it is given and reports the short count, as a full disk would.
    auto failHalfway = [](const void* data, std::size_t size, std::size_t count, std::FILE* out) {
        return std::fwrite(data, size, count / 2, out);
    };
    put("settings.cfg", "previous settings");
    TextFileBuffer file;
    file.setText(std::u16string(10000, u'x'));
    EXPECT_FALSE(file.replaceFile(widePath("settings.cfg"), failHalfway));
    EXPECT_EQ(contents("settings.cfg"), "previous settings");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "settings.cfg.tmp"));
}

// An include name can hold a NUL; the C library would stop the name there and open another file.
TEST_F(TextFileDisk, APathWithANulOpensNothing) {
    put("a", "kept");
    const std::string bad = path("a") + std::string(1, '\0') + "b";
    TextFileBuffer file;
    EXPECT_FALSE(file.readFile(bad));
    file.setText(u"new");
    EXPECT_FALSE(file.writeFile(widen(bad)));
    EXPECT_FALSE(file.replaceFile(widen(bad)));
    EXPECT_EQ(contents("a"), "kept");
}
