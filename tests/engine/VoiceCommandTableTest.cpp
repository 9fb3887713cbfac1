// The current-record window and the record operations of the engine.

#include "engine/TVREngine32.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace larkspur;
using namespace larkspur::test;

namespace {

class EngineRecords : public ::testing::Test {
protected:
    TempDir dir;
    RecordingMessages messages;
    TVREngine32 engine{EnginePlatform{.messages = &messages, .sampleStorePath = dir.file("store.tmp")}};

    void putRecord(int slot, const std::string& phrase, const std::string& action)
    {
        engine.setVCRecord(slot);
        engine.setVoiceCommand(phrase);
        engine.setCommandString(action);
        engine.UpdateVCRecord();
    }
};

TEST_F(EngineRecords, RecordNumberOutsideRangeShowsMessageAndFallsBackToOne)
{
    putRecord(3, "open mail", "!mail");
    for (int bad : {600, 0, -1, 513}) {
        engine.setVCRecord(3);
        messages.messages.clear();
        engine.setVCRecord(bad);
        EXPECT_EQ(engine.VCRecord(), 1) << bad;
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0], "You must enter a number between 1 and 512!");
        // The window keeps the values of slot 3, not those of slot 1.
        EXPECT_EQ(engine.VoiceCommand(), "open mail");
        EXPECT_EQ(engine.CommandString(), "!mail");
    }
    engine.setShowMessages(false);
    messages.messages.clear();
    engine.setVCRecord(1000);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(engine.VCRecord(), 1);
}

TEST_F(EngineRecords, WritingVCRecordLoadsSlotOrEmptiesWindow)
{
    putRecord(2, "save", "^s");
    engine.setVCRecord(5);
    EXPECT_EQ(engine.VoiceCommand(), "");
    EXPECT_EQ(engine.CommandString(), "");
    EXPECT_FALSE(engine.VCTrained());
    engine.setVCRecord(2);
    EXPECT_EQ(engine.VoiceCommand(), "save");
    EXPECT_EQ(engine.CommandString(), "^s");
}

TEST_F(EngineRecords, UpdateOnEmptySlotStoresUntrainedEvenWhenWindowSaysTrained)
{
    engine.setVCRecord(4);
    engine.setVoiceCommand("print");
    engine.setVCTrained(true);
    engine.UpdateVCRecord();
    EXPECT_FALSE(engine.VCTrained());
    ASSERT_NE(engine.table().record(4), nullptr);
    EXPECT_EQ(engine.table().record(4)->trained, 0);
    // On an existing record the window's flag is written as it stands.
    engine.setVCTrained(true);
    engine.UpdateVCRecord();
    EXPECT_EQ(engine.table().record(4)->trained, 1);
}

TEST_F(EngineRecords, LongTextsAreCutTo255Characters)
{
    putRecord(1, std::string(300, 'p'), std::string(256, 'a'));
    engine.setVCRecord(1);
    EXPECT_EQ(engine.VoiceCommand(), std::string(255, 'p'));
    EXPECT_EQ(engine.CommandString(), std::string(255, 'a'));
}

TEST_F(EngineRecords, DeleteResetsRecordInPlaceAndRecomputesTableTrained)
{
    putRecord(12, "zoom in", "^{+}");
    engine.SetSampleTrained(1, 1);
    ASSERT_TRUE(engine.TableTrained());
    engine.DeleteVCRecord();
    const VoiceCommandRecord* record = engine.table().record(12);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->phrase, "VoiceCommand12");
    EXPECT_EQ(record->action, "");
    EXPECT_EQ(record->trained, 0);
    for (const auto& sample : record->samples)
        EXPECT_EQ(sample.present, 0);
    EXPECT_FALSE(engine.TableTrained());
    EXPECT_EQ(engine.VoiceCommand(), "VoiceCommand12");
    EXPECT_EQ(engine.CommandString(), "");
    EXPECT_FALSE(engine.VCTrained());

    // Deleting an empty slot changes nothing.
    engine.setVCRecord(13);
    engine.DeleteVCRecord();
    EXPECT_EQ(engine.table().record(13), nullptr);
}

TEST_F(EngineRecords, SampleFlagsDriveRecordAndTableTrained)
{
    putRecord(1, "one", "1");
    putRecord(2, "two", "2");
    engine.setVCRecord(1);
    engine.SetSampleTrained(1, 1);
    engine.setVCRecord(2);
    engine.SetSampleTrained(1, 1);
    engine.SetSampleTrained(3, 1);

    engine.SetSampleTrained(2, 0);
    EXPECT_TRUE(engine.VCTrained());
    EXPECT_EQ(engine.table().record(2)->trained, 1);

    engine.SetSampleTrained(1, 0);
    engine.SetSampleTrained(3, 0);
    EXPECT_FALSE(engine.VCTrained());
    EXPECT_EQ(engine.table().record(2)->trained, 0);
    EXPECT_TRUE(engine.TableTrained()) << "slot 1 is still trained";

    engine.setVCRecord(1);
    engine.SetSampleTrained(1, 0);
    EXPECT_FALSE(engine.TableTrained());

    // Empty slots are left alone.
    engine.setVCRecord(9);
    engine.SetSampleTrained(1, 1);
    EXPECT_EQ(engine.table().record(9), nullptr);
    EXPECT_FALSE(engine.TableTrained());
}

TEST_F(EngineRecords, ClearTableKeepsNamesNewTableResetsThem)
{
    putRecord(1, "one", "1");
    engine.SetSampleTrained(1, 1);
    engine.setTableName("office.EAR");
    engine.setFileName("/tmp/office.EAR");
    engine.ClearTable();
    EXPECT_EQ(engine.table().count(), 0);
    EXPECT_EQ(engine.TableName(), "office.EAR");
    EXPECT_EQ(engine.FileName(), "/tmp/office.EAR");
    EXPECT_TRUE(engine.TableTrained());
    EXPECT_TRUE(engine.stopRequested());

    engine.NewTable();
    EXPECT_EQ(engine.TableName(), "Untitled");
    EXPECT_EQ(engine.FileName(), "");
    EXPECT_FALSE(engine.TableTrained());
}

TEST_F(EngineRecords, FixedFacts)
{
    EXPECT_EQ(TVREngine32::MaxVoiceCommands(), 512);
    EXPECT_EQ(TVREngine32::SampleRate(), 11025);
    EXPECT_EQ(engine.Status(), "Idle");
    EXPECT_FALSE(engine.Ready());
    EXPECT_TRUE(engine.stopRequested());
    EXPECT_EQ(engine.TableName(), "Untitled");
    EXPECT_TRUE(engine.BeepBeforeTrain());
    EXPECT_TRUE(engine.PlayBack());
    EXPECT_FALSE(engine.StopAfterRecognize());
    EXPECT_EQ(engine.Accuracy(), 0);
}

} // namespace
