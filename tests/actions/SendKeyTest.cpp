// The events the keystroke sender emits, in order, through the recorder.

#include "actions/RecordingKeyInjector.h"
#include "actions/TSendKey.h"
#include "actions/UsKeyboardLayout.h"
#include "Fakes.h"

#include <gtest/gtest.h>

using namespace larkspur;

namespace {

// The US layout plus one character that needs AltGr (shift state 6) and one
// that needs Ctrl+Alt+Shift (7), as on many European layouts.
class AltGrLayout : public UsKeyboardLayout {
public:
    std::optional<uint16_t> vkKeyScan(char c) override
    {
        if (c == '\x80')
            return 0x0645;  // AltGr+E
        if (c == '\xA6')
            return 0x0736;  // AltGr+Shift+6
        if (c == '\x01')
            return std::nullopt;
        return UsKeyboardLayout::vkKeyScan(c);
    }
};

class SendKeyEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        TSendKey::clearPendingModifiers();
        sender.setTokensOnly(false);
    }
    void TearDown() override
    {
        TSendKey::clearPendingModifiers();
        sender.setTokensOnly(false);
    }

    // "D10 D41 U41 U10": D for down, U for up, then the virtual key.
    std::string sent()
    {
        std::string out;
        for (const SyntheticKeyEvent& e : recorder.events()) {
            char item[8];
            std::snprintf(item, sizeof item, "%s%c%02X", out.empty() ? "" : " ", e.up() ? 'U' : 'D', e.virtualKey);
            out += item;
        }
        recorder.clear();
        return out;
    }
    std::string send(std::string_view keys)
    {
        EXPECT_EQ(sender.SendKeys(keys), 0) << keys;
        return sent();
    }
    std::string failingSend(std::string_view keys, std::string_view error)
    {
        try {
            sender.SendKeys(keys);
            ADD_FAILURE() << keys << " did not fail";
        } catch (const ESendKey& e) {
            EXPECT_EQ(std::string(e.what()), error) << keys;
        }
        return sent();
    }

    AltGrLayout layout;
    RecordingKeyInjector recorder;
    test::FakeWindowSystem windows;
    TSendKey sender{layout, recorder, &windows};
};


TEST_F(SendKeyEvents, EmptyKeysReturnMinusOneAndSendNothing)
{
    EXPECT_EQ(sender.SendKeys(""), -1);
    EXPECT_TRUE(recorder.events().empty());
}

TEST_F(SendKeyEvents, CharactersCarryTheShiftTheLayoutNeeds)
{
    EXPECT_EQ(send("a"), "D41 U41");
    EXPECT_EQ(send("A"), "D10 D41 U41 U10");
    EXPECT_EQ(send("1!"), "D31 U31 D10 D31 U31 U10");
    EXPECT_EQ(send("; :"), "DBA UBA D20 U20 D10 DBA UBA U10");
}

TEST_F(SendKeyEvents, CtrlDropsTheLettersOwnShift)
{
    EXPECT_EQ(send("^a"), "D11 D41 U41 U11");
    EXPECT_EQ(send("^A"), "D11 D41 U41 U11");
    EXPECT_EQ(send("~a"), "D10 D10 D41 U41 U10 U10");
    EXPECT_EQ(send("^~{TAB}"), "D11 D10 D10 D09 U09 U10 U10 U11");
    EXPECT_EQ(send("@^~x"), "D12 D11 D10 D10 D58 U58 U10 U10 U11 U12");
}

TEST_F(SendKeyEvents, AltGrCharactersPressCtrlThenAlt)
{
    EXPECT_EQ(send("\x80"), "D11 D12 D45 U45 U11 U12");
    EXPECT_EQ(send("\xA6"), "D10 D11 D12 D10 D36 U36 U10 U10 U11 U12");
}

TEST_F(SendKeyEvents, NamedKeysHaveNoShiftOfTheirOwn)
{
    EXPECT_EQ(send("{TAB}"), "D09 U09");
    EXPECT_EQ(send("{ENTER}{esc}{PGDN}"), "D0D U0D D1B U1B D22 U22");
    EXPECT_EQ(send("{ctrl}{F4}"), "D11 U11 D73 U73");
    EXPECT_EQ(send("{CTRL}{F4}"), "D11 D73 U73 U11");
    EXPECT_EQ(send("^{F4}"), "D11 D73 U73 U11");
    EXPECT_EQ(send("{CAPSLOCK}{NUMLOCK}{BREAK}{F16}"), "D14 U14 D90 U90 D13 U13 D7F U7F");
}

TEST_F(SendKeyEvents, AltIdiomsOfTheCatalogue)
{
    EXPECT_EQ(send("@ X"), "D12 D20 U20 U12 D10 D58 U58 U10");
    EXPECT_EQ(send("@{F4}"), "D12 D73 U73 U12");
    EXPECT_EQ(send("@FP{ENTER}"), "D12 D10 D46 U46 U10 U12 D10 D50 U50 U10 D0D U0D");
}

TEST_F(SendKeyEvents, PendingModifiersCarryOverToTheNextCall)
{
    EXPECT_EQ(send("@"), "");
    EXPECT_TRUE(TSendKey::pendingModifiers().alt);
    EXPECT_EQ(send("{F4}"), "D12 D73 U73 U12");
    EXPECT_EQ(TSendKey::pendingModifiers(), PendingModifiers{});

    // Another sender instance sees the same pending modifiers.
    EXPECT_EQ(send("^"), "");
    RecordingKeyInjector other;
    TSendKey second(layout, other);
    second.SendKeys("c");
    ASSERT_EQ(other.events().size(), 4u);
    EXPECT_EQ(other.events()[0].virtualKey, 0x11);
    EXPECT_EQ(other.events()[1].virtualKey, 0x43);
}

TEST_F(SendKeyEvents, ErrorsKeepWhatWasSentAndWhatIsPending)
{
    EXPECT_EQ(failingSend("a{", "No Closing brackets"), "D41 U41");
    EXPECT_EQ(failingSend("a}", "Invalid token"), "D41 U41");
    EXPECT_EQ(failingSend("^{ENTR}", "Invalid token"), "");
    EXPECT_TRUE(TSendKey::pendingModifiers().ctrl);
    EXPECT_EQ(failingSend("{mouse down}", "No Closing brackets"), "");
    EXPECT_EQ(send("x"), "D11 D58 U58 U11");
    EXPECT_EQ(send("{"), "D10 DDB UDB U10");
    EXPECT_EQ(send("}"), "D10 DDD UDD U10");
}

TEST_F(SendKeyEvents, TokensOnlyTypesModifierCharactersForEveryInstance)
{
    RecordingKeyInjector other;
    TSendKey second(layout, other);
    second.setTokensOnly(true);
    EXPECT_TRUE(sender.TokensOnly());
    EXPECT_EQ(send("^c"), "D10 D36 U36 U10 D43 U43");
    EXPECT_EQ(send("{CTRL}c"), "D11 D43 U43 U11");
}

TEST_F(SendKeyEvents, CharacterWithoutKeyIsSkippedAndModifiersWait)
{
    EXPECT_EQ(send("^\x01"), "");
    EXPECT_EQ(send("v"), "D11 D56 U56 U11");
}

TEST_F(SendKeyEvents, ExtendedFlagFollowsTheScanCodesTopBits)
{
    sender.SendKeys("A");
    const std::vector<SyntheticKeyEvent>& e = recorder.events();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0], (SyntheticKeyEvent{0x10, 0x2A, kKeyEventExtendedKey}));
    EXPECT_EQ(e[1], (SyntheticKeyEvent{0x41, 0x1E, 0}));
    EXPECT_EQ(e[2], (SyntheticKeyEvent{0x41, 0x1E, kKeyEventKeyUp}));
    EXPECT_EQ(e[3], (SyntheticKeyEvent{0x10, 0x2A, kKeyEventExtendedKey | kKeyEventKeyUp}));
    recorder.clear();
    sender.SendKeys("^{HOME}");
    ASSERT_EQ(recorder.events().size(), 4u);
    EXPECT_EQ(recorder.events()[0], (SyntheticKeyEvent{0x11, 0x1D, 0}));
    EXPECT_EQ(recorder.events()[1], (SyntheticKeyEvent{0x24, 0x47, kKeyEventExtendedKey}));
}

TEST_F(SendKeyEvents, SendKeysToWindowActivatesValidWindowsFirst)
{
    EXPECT_EQ(sender.SendKeysToWindow("a", 77), 0);
    EXPECT_EQ(windows.activated, std::vector<WindowId>{77});
    EXPECT_EQ(sent(), "D41 U41");
    EXPECT_EQ(sender.SendKeysToWindow("a", 0), 0);
    EXPECT_EQ(windows.activated.size(), 1u);
    EXPECT_EQ(sender.SendKeysToWindow("", 78), -1);
}

TEST_F(SendKeyEvents, MessagesRunAfterASuccessfulString)
{
    int pumped = 0;
    sender.OnProcessMessages = [&] { ++pumped; };
    sender.SendKeys("ab");
    EXPECT_EQ(pumped, 1);
    EXPECT_GE(recorder.flushes(), 1);
}

} // namespace
