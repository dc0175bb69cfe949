// Templates 102 and 104 entry for entry. The style bits are written as numbers here so that a
// wrong named constant shows too.
#include <gtest/gtest.h>

#include <cstdio>

#include "ui/templates.h"
#include "value/text.h"

namespace orvane::ui {
namespace {

using platform::ControlKind;
using K = ControlKind;

const platform::DialogTemplate* findTemplate(int id) {
    for (const auto& t : dialogTemplates())
        if (t.id == id) return &t;
    return nullptr;
}

struct Expected {
    int id;
    ControlKind kind;
    std::u16string text;
    platform::DialogRect rect;
    std::uint32_t style;
};

// Title, font, point size, size and style on one line.
std::string header(const platform::DialogTemplate& t) {
    char style[16];
    std::snprintf(style, sizeof style, "%08X", static_cast<unsigned>(t.style));
    return toUtf8(t.title) + "|" + toUtf8(t.font) + "|" + std::to_string(t.pointSize) + "|" +
           std::to_string(t.width) + "x" + std::to_string(t.height) + "|" + style;
}

void expectControls(const platform::DialogTemplate& t, const std::vector<Expected>& want) {
    ASSERT_EQ(t.controls.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(want[i].id));
        EXPECT_EQ(t.controls[i].id, want[i].id) << "template order";
        EXPECT_EQ(t.controls[i].kind, want[i].kind);
        EXPECT_EQ(std::u16string(t.controls[i].text), want[i].text);
        EXPECT_EQ(t.controls[i].rect, want[i].rect);
        EXPECT_EQ(t.controls[i].style, want[i].style);
    }
}

TEST(Templates, SettingsDialog) {
    const auto* t = findTemplate(102);
    ASSERT_TRUE(t);
    // Popup, caption, system menu, modal frame, font.
    EXPECT_EQ(header(*t), "Settings|MS Shell Dlg|8|323x190|80C800C0");
    const std::uint32_t combo = 0x00210003, check = 0x00010003, push = 0x00010000;
    expectControls(*t, {
        {1011, K::Static, u"Messenger:", {16, 9, 134, 8}, 0},
        {1006, K::ComboBox, u"", {157, 7, 149, 30}, combo},
        {1016, K::CheckBox, u"Active", {15, 32, 36, 10}, check},
        {1012, K::Static, u"Status on connect:", {15, 44, 134, 8}, 0},
        {1001, K::ComboBox, u"", {158, 42, 149, 30}, combo},
        {1013, K::Static, u"Status on disconnect:", {15, 61, 139, 8}, 0},
        {1002, K::ComboBox, u"", {158, 58, 149, 30}, combo},
        {1005, K::CheckBox, u"Change away message", {15, 77, 141, 10}, check},
        {1004, K::Edit, u"", {15, 89, 291, 59}, 0x00810084},
        {1003, K::CheckBox, u"Minimize on connecting", {15, 151, 149, 10}, check},
        {1014, K::PushButton, u"Apply", {110, 169, 50, 14}, push},
        {1015, K::PushButton, u"Test", {163, 169, 50, 14}, push},
        {2, K::PushButton, u"Close", {216, 169, 50, 14}, push},
        {1010, K::GroupBox, u"MessengerName", {7, 21, 309, 145}, 0x00000007},
    });
}

TEST(Templates, RconTab) {
    const auto* t = findTemplate(104);
    ASSERT_TRUE(t);
    EXPECT_EQ(header(*t), "|MS Shell Dlg|8|320x90|40000040") << "child page without caption";
    expectControls(*t, {
        {1007, K::PushButton, u"Update", {3, 3, 108, 14}, 0x00010000},
        {1008, K::ListView, u"", {114, 0, 205, 89}, 0x00810803},
        {1009, K::PushButton, u"Change Pam Mode", {3, 19, 107, 14}, 0x08010000},
        {1017, K::ComboBox, u"", {3, 35, 107, 30}, 0x00210003},
    });
    EXPECT_EQ(std::u16string(kRconTabString), u"IDS_RCONTAB");
}

}  // namespace
}  // namespace orvane::ui
