// Reading the keystroke notation: brace names, modifiers and the two errors.

#include "actions/KeyNames.h"
#include "actions/KeystrokeParser.h"
#include "actions/SpareVirtualKeys.h"
#include "actions/UsKeyboardLayout.h"

#include <gtest/gtest.h>

#include <set>

using namespace larkspur;

namespace {

KeystrokeStep named(uint8_t vk) { return {KeystrokeStep::Kind::NamedKey, Modifier::Shift, 0, vk}; }
KeystrokeStep chr(char c) { return {KeystrokeStep::Kind::Character, Modifier::Shift, c, 0}; }
KeystrokeStep mod(Modifier m) { return {KeystrokeStep::Kind::SetModifier, m, 0, 0}; }

std::string errorOf(std::string_view keys)
{
    return parseKeystrokes(keys, false).error.value_or("");
}

} // namespace

TEST(KeyNames, TableKeepsItsOrderAndCaseIsIgnored)
{
    ASSERT_GE(keyNameTable().size(), 37u);
    EXPECT_EQ(keyNameTable()[0].name, "CTRL");
    EXPECT_EQ(keyNameTable()[36].name, "R");
    EXPECT_EQ(LookupKeyName("enter"), 0x0D);
    EXPECT_EQ(LookupKeyName("Enter"), 0x0D);
    EXPECT_EQ(LookupKeyName("DN"), 0x28);
    EXPECT_EQ(LookupKeyName("l"), 0x25);
    EXPECT_EQ(LookupKeyName("PRTSC"), 0x2C);
    EXPECT_EQ(LookupKeyName("ENTR"), std::nullopt);
    EXPECT_EQ(LookupKeyName(""), std::nullopt);
    for (const KeyName& row : keyNameTable())
        EXPECT_TRUE(row.name.size() <= kMaxKeyNameLength || row.name == kLongKeyName) << row.name;
}

TEST(KeyNames, CatalogueKeysAreThere)
{
    EXPECT_EQ(LookupKeyName("BREAK"), 0x13);
    EXPECT_EQ(LookupKeyName("NUMLOCK"), 0x90);
    EXPECT_EQ(LookupKeyName("capslock"), 0x14);
    EXPECT_EQ(LookupKeyName("F13"), 0x7C);
    EXPECT_EQ(LookupKeyName("F16"), 0x7F);
}

// A character lent a spare key must never be taken for a named key, a key a
// character types on the US layout, or the modifiers the sender presses.
TEST(SpareVirtualKeys, NoneIsNamedTypedOrAModifierAndNoneComesTwice)
{
    const std::set<uint8_t> spare(kSpareVirtualKeys.begin(), kSpareVirtualKeys.end());
    EXPECT_EQ(spare.size(), kSpareVirtualKeys.size());
    for (const KeyName& row : keyNameTable())
        EXPECT_FALSE(spare.contains(row.virtualKey)) << row.name;
    UsKeyboardLayout us;
    for (int c = 0; c < 256; ++c) {
        if (const std::optional<uint16_t> key = us.vkKeyScan(static_cast<char>(c))) {
            EXPECT_FALSE(spare.contains(static_cast<uint8_t>(*key & 0xFF))) << "character " << c;
        }
    }
    for (uint8_t modifier : {kVkShift, kVkControl, kVkMenu})
        EXPECT_FALSE(spare.contains(modifier));
    // A spare key stands for nothing on a real keyboard.
    for (uint8_t vk : kSpareVirtualKeys)
        EXPECT_EQ(usScanCode(vk), 0) << int(vk);
}

TEST(KeystrokeParser, BraceNamesInAnyCase)
{
    for (std::string_view keys : {"{ENTER}", "{enter}", "{Enter}"}) {
        const ParsedKeystrokes p = parseKeystrokes(keys, false);
        EXPECT_FALSE(p.error) << keys;
        EXPECT_EQ(p.steps, std::vector<KeystrokeStep>{named(0x0D)}) << keys;
    }
}

TEST(KeystrokeParser, MalformedBracesGiveTheirErrors)
{
    EXPECT_EQ(errorOf("{ENTR}"), "Invalid token");
    EXPECT_EQ(errorOf("{ABCDEFGH}"), "No Closing brackets");
    EXPECT_EQ(errorOf("{ABCDEFG}"), "Invalid token");
    EXPECT_EQ(errorOf("{F4"), "No Closing brackets");
    EXPECT_EQ(errorOf("{}"), "Invalid token");
    EXPECT_EQ(errorOf("{mouse down}"), "No Closing brackets");
}

TEST(KeystrokeParser, LoneBracesAreCharactersOnlyWhenAlone)
{
    EXPECT_EQ(parseKeystrokes("{", false).steps, std::vector<KeystrokeStep>{chr('{')});
    EXPECT_EQ(parseKeystrokes("}", false).steps, std::vector<KeystrokeStep>{chr('}')});

    const ParsedKeystrokes open = parseKeystrokes("a{", false);
    EXPECT_EQ(open.steps, std::vector<KeystrokeStep>{chr('a')});
    EXPECT_EQ(open.error, "No Closing brackets");

    const ParsedKeystrokes close = parseKeystrokes("a}", false);
    EXPECT_EQ(close.steps, std::vector<KeystrokeStep>{chr('a')});
    EXPECT_EQ(close.error, "Invalid token");
}

TEST(KeystrokeParser, CapsLockIsTheOnlyEightCharacterName)
{
    for (std::string_view keys : {"{CAPSLOCK}", "{capslock}", "{CapsLock}"}) {
        const ParsedKeystrokes p = parseKeystrokes(keys, false);
        EXPECT_FALSE(p.error) << keys;
        EXPECT_EQ(p.steps, std::vector<KeystrokeStep>{named(0x14)}) << keys;
    }
    EXPECT_EQ(errorOf("{CAPSLOCKS}"), "No Closing brackets");
    EXPECT_EQ(errorOf("{CAPSLOCK"), "No Closing brackets");
    EXPECT_EQ(errorOf("{CAPSLOCX}"), "No Closing brackets");
    EXPECT_EQ(errorOf("{NUMLOCKS}"), "No Closing brackets");
    EXPECT_EQ(errorOf("{BREAKING}"), "No Closing brackets");
    // A text after the long name still reads on.
    const ParsedKeystrokes p = parseKeystrokes("{CAPSLOCK}a", false);
    EXPECT_EQ(p.steps, (std::vector<KeystrokeStep>{named(0x14), chr('a')}));
}

TEST(KeystrokeParser, ModifierTokensOnlyInUpperCase)
{
    EXPECT_EQ(parseKeystrokes("{CTRL}{F4}", false).steps,
              (std::vector<KeystrokeStep>{mod(Modifier::Ctrl), named(0x73)}));
    EXPECT_EQ(parseKeystrokes("{ALT}{SHIFT}", false).steps,
              (std::vector<KeystrokeStep>{mod(Modifier::Alt), mod(Modifier::Shift)}));
    EXPECT_EQ(parseKeystrokes("{ctrl}{F4}", false).steps, (std::vector<KeystrokeStep>{named(0x11), named(0x73)}));
    EXPECT_EQ(parseKeystrokes("{alt}{Shift}{MENU}", false).steps,
              (std::vector<KeystrokeStep>{named(0x12), named(0x10), named(0x12)}));
}

TEST(KeystrokeParser, ModifierCharactersAndTokensOnly)
{
    EXPECT_EQ(parseKeystrokes("^~@x", false).steps,
              (std::vector<KeystrokeStep>{mod(Modifier::Ctrl), mod(Modifier::Shift), mod(Modifier::Alt), chr('x')}));
    EXPECT_EQ(parseKeystrokes("^c", true).steps, (std::vector<KeystrokeStep>{chr('^'), chr('c')}));
    EXPECT_EQ(parseKeystrokes("~{CTRL}", true).steps, (std::vector<KeystrokeStep>{chr('~'), mod(Modifier::Ctrl)}));
}
