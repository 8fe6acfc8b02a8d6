#include "store/daypapers.h"
#include "store/settings.h"
#include "store/textcodec.h"
#include "tests/store/streamtesting.h"

#include <gtest/gtest.h>

namespace orvenna::store {
namespace {

using namespace orvenna::store::testing;

std::string PaperBytes(std::string_view records)
{
    return ObjectBytes("TDayPaper", records);
}

// A reminder list record holding one reminder with the given records.
std::string OneReminder(std::string_view records)
{
    return Short("ReminderList") + Hex("0E 01") + std::string(records) + Hex("00 00");
}

TEST(StreamWriter, EmptyPaperWritesOnlyItsCollection)
{
    TDayPaper paper;
    EXPECT_EQ(WrittenBody(paper), "TPF0" + Short("TDayPaper") + Hex("00") + Short("ReminderList") +
                                      Hex("0E 00 00 00"));
}

TEST(StreamWriter, HeaderNameIsUpperCasedAndCutTo63Characters)
{
    TDayPaper paper;
    std::string bytes;
    TByteWriter out(bytes);
    WriteStreamObject(out, std::string(70, 'x'), paper);
    EXPECT_EQ(bytes.substr(0, 3), Hex("FF 0A 00"));
    EXPECT_EQ(bytes.substr(3, 64), std::string(63, 'X') + std::string(1, '\0'));
    EXPECT_EQ(bytes.substr(67, 2), Hex("30 10"));
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[69]), bytes.size() - 73);
}

TEST(StreamWriter, ReminderWithoutTextsWritesOnlyItsNumbers)
{
    TDayPaper paper;
    paper.ReminderList.AddReminder().When = 2.5;
    EXPECT_EQ(WrittenBody(paper),
              "TPF0" + Short("TDayPaper") + Hex("00") + Short("ReminderList") + Hex("0E 01") +
                  Short("When") + Hex("05 00 00 00 00 00 00 00 A0 00 40") + Short("SomeData") +
                  Hex("02 2B") + Short("State") + Hex("02 00") + Short("Before") + Hex("02 00") +
                  Short("Recurrency") + Hex("02 00") + Hex("00 00 00 00"));
}

TEST(StreamWriter, IntegersTakeTheSmallestForm)
{
    struct TCase {
        std::int32_t Value;
        const char* Bytes;
    };
    const TCase cases[] = {
        {0, "02 00"},          {127, "02 7F"},          {-128, "02 80"},
        {128, "03 80 00"},     {-129, "03 7F FF"},      {-32768, "03 00 80"},
        {32767, "03 FF 7F"},   {32768, "04 00 80 00 00"}, {-2147483647 - 1, "04 00 00 00 80"},
    };
    for (const auto& c : cases) {
        TDayPaper paper;
        paper.ReminderList.AddReminder().State = c.Value;
        const std::string body = WrittenBody(paper);
        const std::string expected = Short("State") + Hex(c.Bytes) + Short("Before");
        EXPECT_NE(body.find(expected), std::string::npos) << c.Value;

        TDayPaper read;
        ASSERT_EQ(ReadMessage(PaperBytes(OneReminder(Short("State") + Hex(c.Bytes))), read), "");
        EXPECT_EQ(read.ReminderList.GetReminder(0).State, c.Value);
    }
}

TEST(StreamWriter, TextsChooseTheirEncoding)
{
    struct TCase {
        std::string Subject;
        std::string Tag;  // tag and length as written
    };
    const TCase cases[] = {
        {"Dentist", "06 07"},
        {std::string(300, 'a'), "0C 2C 01 00 00"},
        {"Caf\xC3\xA9", "14 05 00 00 00"},                       // Café: UTF-8
        {"\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1", "12 05 00 00 00"},  // Greek only: UTF-16
        {"\xD0\x9C\xD0\xB8\xD1\x80", "12 03 00 00 00"},           // Cyrillic only
        {"\xCE\xA9" "a", "14 03 00 00 00"},                      // one ASCII letter tips it
        {"\xF0\x9F\x98\x80", "12 02 00 00 00"},                   // a surrogate pair
    };
    for (const auto& c : cases) {
        TDayPaper paper;
        paper.ReminderList.AddReminder().Subject = c.Subject;
        const std::string body = WrittenBody(paper);
        EXPECT_NE(body.find(Short("Subject") + Hex(c.Tag)), std::string::npos) << c.Tag;

        TDayPaper read;
        const std::string bytes = ObjectBytes("TDayPaper", body.substr(4 + 11, body.size() - 17));
        TByteReader in(bytes);
        ReadStreamObject(in, read);
        EXPECT_EQ(read.ReminderList.GetReminder(0).Subject, c.Subject) << c.Tag;
    }
}

TEST(StreamWriter, NoteLinesAreNeverUtf16)
{
    TDayPaper paper;
    paper.Note = {"Caf\xC3\xA9", "", "\xCE\x91\xCE\xB8"};
    const std::string body = WrittenBody(paper);
    EXPECT_NE(body.find(Short("Note.Strings") + Hex("01 14 05 00 00 00") + "Caf\xC3\xA9" +
                        Hex("06 00 14 04 00 00 00") + "\xCE\x91\xCE\xB8" + Hex("00")),
              std::string::npos);
}

TEST(StreamReader, AcceptsWiderFormsOfNumbers)
{
    const std::string records =
        OneReminder(Short("Before") + Hex("04 02 00 00 00") + Short("When") + Hex("02 05")) +
        Short("Day") + Hex("13 06 00 00 00 00 00 00 00");
    TDayPaper paper;
    ASSERT_EQ(ReadMessage(PaperBytes(records), paper), "");
    EXPECT_EQ(paper.ReminderList.GetReminder(0).Before, 2);
    EXPECT_EQ(paper.ReminderList.GetReminder(0).When, 5.0);
    EXPECT_EQ(paper.Day, 6.0);
}

TEST(StreamReader, ReadsEightBitTextsAsWindows1252AndUtf16Lines)
{
    const std::string records =
        Short("Note.Strings") + Hex("01 06 04 80 43 61 E9 12 02 00 00 00 91 03 B8 03") +
        Hex("0C 02 00 00 00 41 9D 00");
    TDayPaper paper;
    ASSERT_EQ(ReadMessage(PaperBytes(records), paper), "");
    EXPECT_EQ(paper.Note, (std::vector<std::string>{"\xE2\x82\xAC" "Ca\xC3\xA9", "\xCE\x91\xCE\xB8",
                                                    "A\xC2\x9D"}));
}

TEST(StreamReader, ReplacesEachIllFormedUtf8SequenceOnce)
{
    // Expected texts as an independent decoder gives them (the longest start of a well-formed
    // sequence, or one stray byte, becomes one U+FFFD).
    const std::string R = "\xEF\xBF\xBD";
    struct TCase {
        std::string Bytes;
        std::string Text;
    };
    const TCase cases[] = {
        {"\xFF", R},
        {"a\xFF" "b", "a" + R + "b"},
        {"Caf\xC3\xA9\xFF", "Caf\xC3\xA9" + R},
        {"\xC3", R},
        {"\xE2\x82", R},
        {"\xE2\x82" "a", R + "a"},
        {"\xF0\x9F\x98", R},
        {"\x80\x80", R + R},
        {"\xC0\xAF", R + R},
        {"\xE0\x80\x80", R + R + R},
        {"\xED\xA0\x80", R + R + R},
        {"\xF4\x90\x80\x80", R + R + R + R},
        {R + "\xFF", R + R},
        {"\xF0\x9F\x98\x80" "ok", "\xF0\x9F\x98\x80" "ok"},
    };
    for (const auto& c : cases) {
        std::string record = Short("Subject") + Hex("14");
        for (int i = 0; i < 4; ++i)
            record.push_back(static_cast<char>((c.Bytes.size() >> (8 * i)) & 0xFF));
        TDayPaper paper;
        ASSERT_EQ(ReadMessage(PaperBytes(OneReminder(record + c.Bytes)), paper), "") << c.Text;
        EXPECT_EQ(paper.ReminderList.GetReminder(0).Subject, c.Text) << c.Text;

        // Written and read again, the text stays the same.
        const std::string body = WrittenBody(paper);
        TDayPaper again;
        ASSERT_EQ(ReadMessage(ObjectBytes("TDayPaper", body.substr(4 + 11, body.size() - 17)),
                              again),
                  "");
        EXPECT_EQ(again.ReminderList.GetReminder(0).Subject, c.Text) << c.Text;
    }
}

TEST(TextCodec, AsciiRunsLookedAtByTheWordDecideAsByteByByte)
{
    // The converters skip ASCII eight bytes at a time: a byte of 0x80 or more at any place of a
    // word, or in the bytes after the last whole word, must still be seen.
    const std::string R = "\xEF\xBF\xBD";
    struct TCase {
        std::string Bytes;
        std::string Utf8;     // ValidUtf8
        std::string Cp1252;   // Cp1252ToUtf8
        std::string Utf16;    // Utf16LEToUtf8 of the bytes taken as pairs
    };
    const TCase cases[] = {
        {"", "", "", ""},
        {"\x80", R, "\xE2\x82\xAC", ""},
        {"\xFF", R, "\xC3\xBF", ""},
        {"\xC3\xA9", "\xC3\xA9", "\xC3\x83\xC2\xA9", "\xEA\xA7\x83"},
        {"\xE2\x82", R, "\xC3\xA2\xE2\x80\x9A", "\xE8\x8B\xA2"},
        {"\x7F", "\x7F", "\x7F", ""},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", "\xC3\xB0\xC5\xB8\xCB\x9C\xE2\x82\xAC",
         "\xE9\xBF\xB0\xE8\x82\x98"},
        {std::string("\0\xD8", 2), std::string(1, '\0') + R, std::string("\0\xC3\x98", 3), R},
    };
    for (const auto& c : cases) {
        for (std::size_t before = 0; before <= 17; ++before) {
            for (const std::size_t after : {0, 1, 7, 8, 9}) {
                // Padding of whole pairs keeps the UTF-16 units where they were.
                const std::string a(before, 'a');
                const std::string z(after, 'z');
                const std::string bytes = a + c.Bytes + z;
                const std::string what = "case " + std::to_string(&c - cases) + " after " +
                                         std::to_string(before) + ", before " + std::to_string(after);
                EXPECT_EQ(IsAscii(bytes), c.Cp1252 == c.Bytes) << what;
                EXPECT_EQ(ValidUtf8(bytes), a + c.Utf8 + z) << what;
                EXPECT_EQ(Cp1252ToUtf8(bytes), a + c.Cp1252 + z) << what;
                if (before % 2 == 0 && after % 2 == 0 && c.Bytes.size() % 2 == 0) {
                    std::string wide;
                    for (char ch : a)
                        wide += std::string(1, ch) + '\0';
                    EXPECT_EQ(Utf16LEToUtf8(wide + c.Bytes), a + c.Utf16) << what;
                }
            }
        }
    }
}

TEST(StreamReader, ComponentNameIsReadAndDropped)
{
    // A day paper and the settings record are components: a Name record is taken, never kept
    // or written; a reminder is not one.
    TDayPaper paper;
    ASSERT_EQ(ReadMessage(PaperBytes(Short("Name") + Hex("06 03") + "Abc" + Short("Day") +
                                     Hex("02 07")),
                          paper),
              "");
    EXPECT_EQ(paper.Day, 7.0);
    EXPECT_EQ(WrittenBody(paper).find(Short("Name")), std::string::npos);

    TCalSetting settings;
    ASSERT_EQ(ReadMessage(ObjectBytes("TCalSetting", Short("name") + Hex("06 01") + "x" +
                                                         Short("Top") + Hex("02 05")),
                          settings),
              "");
    EXPECT_EQ(settings.Top, 5);
    EXPECT_EQ(settings.SaveToBytes(), TCalSetting().SaveToBytes().replace(
                                          TCalSetting().SaveToBytes().find(Short("Top") + Hex("02 00")),
                                          6, Short("Top") + Hex("02 05")));

    EXPECT_EQ(ReadMessage(PaperBytes(OneReminder(Short("Name") + Hex("06 01 78"))), paper),
              "Error reading TDayPaper.ReminderList: Error reading TReminder.Name: "
              "Property Name does not exist");
    EXPECT_EQ(ReadMessage(PaperBytes(Short("Name") + Hex("02 01")), paper),
              "Error reading TDayPaper.Name: Invalid property value");
}

TEST(StreamReader, LinesReplaceTheListsLines)
{
    TDayPaper paper;
    paper.Note = {"old", "lines"};
    ASSERT_EQ(ReadMessage(PaperBytes(Short("Note.Strings") + Hex("01 06 03") + "new" + Hex("00")),
                          paper),
              "");
    EXPECT_EQ(paper.Note, std::vector<std::string>{"new"});
}

TEST(StreamReader, PropertyNamesIgnoreLetterCase)
{
    TDayPaper paper;
    ASSERT_EQ(ReadMessage(PaperBytes(Short("dAY") + Hex("02 07") + Short("NOTE.strings") +
                                     Hex("01 06 01 78 00")),
                          paper),
              "");
    EXPECT_EQ(paper.Day, 7.0);
    EXPECT_EQ(paper.Note, std::vector<std::string>{"x"});
}

TEST(StreamReader, PropertiesInAnyOrderAndLettersReadTheSame)
{
    // The reader looks for each name after the previous one in table order first; names out of
    // that order, repeated, in other letters or of the parent class take the full walk.
    const std::string day = Hex("02 07");
    const std::string note = Hex("01 06 01 78 00");
    const std::string reminder = Short("Subject") + Hex("06 01 73") + Short("Desc.Strings") +
                                 Hex("01 06 01 64 00") + Short("Before") + Hex("02 03");
    const std::string records[] = {
        Short("ReminderList") + Hex("0E 01") + reminder + Hex("00 00") + Short("Day") + day +
            Short("Note.Strings") + note,
        Short("Note.Strings") + note + Short("Day") + day + Short("Tag") + Hex("02 05") +
            Short("ReminderList") + Hex("0E 01") + reminder + Hex("00 00"),
        Short("Day") + Hex("02 01") + Short("Note.Strings") + note + Short("Day") + day +
            Short("reminderlist") + Hex("0E 01") + reminder + Hex("00 00"),
        Short("DAY") + day + Short("Note.STRINGS") + note + Short("ReminderList") + Hex("0E 01") +
            Short("before") + Hex("02 03") + Short("Desc.Strings") + Hex("01 06 01 64 00") +
            Short("SUBJECT") + Hex("06 01 73") + Hex("00 00"),
    };
    for (const auto& record : records) {
        TDayPaper paper;
        ASSERT_EQ(ReadMessage(PaperBytes(record), paper), "") << &record - records;
        EXPECT_EQ(paper.Day, 7.0) << &record - records;
        EXPECT_EQ(paper.Note, std::vector<std::string>{"x"}) << &record - records;
        ASSERT_EQ(paper.ReminderList.ReminderCount(), 1) << &record - records;
        const TReminder& r = paper.ReminderList.GetReminder(0);
        EXPECT_EQ(r.Subject, "s") << &record - records;
        EXPECT_EQ(r.Desc, std::vector<std::string>{"d"}) << &record - records;
        EXPECT_EQ(r.Before, 3) << &record - records;
    }
}

TEST(StreamReader, NoTwoPropertiesOfAClassDifferOnlyInLetterCase)
{
    // The reader takes a name spelled as in the table for that property without looking at
    // the ones before it; that is only right while names differ in more than letter case.
    const TDayPaper paper;
    const TReminder reminder;
    const TCalSetting setting;
    for (const TPersistent* object :
         std::initializer_list<const TPersistent*>{&paper, &reminder, &paper.ReminderList, &setting,
                                                   &setting.TitleFont}) {
        for (const TClassInfo* info = &object->ClassInfo(); info; info = info->Parent)
            for (std::size_t i = 0; i < info->Props.size(); ++i)
                for (std::size_t j = 0; j < i; ++j)
                    EXPECT_FALSE(SameText(info->Props[i].Name, info->Props[j].Name))
                        << info->ClassName << "." << info->Props[i].Name;
    }
}

TEST(StreamReader, AcceptsAnObjectPrefixAndItemOrderNumbers)
{
    std::string bytes = PaperBytes(Short("ReminderList") + Hex("0E 02 00 01 00 03 01 00 01 00 00"));
    // Insert the prefix F2 with a child position before the class name.
    bytes.insert(bytes.find("TPF0") + 4, Hex("F2 02 05"));
    TDayPaper paper;
    ASSERT_EQ(ReadMessage(bytes, paper), "");
    EXPECT_EQ(paper.ReminderList.ReminderCount(), 2);
}

TEST(StreamReader, EmptyCollectionValueKeepsTheItems)
{
    TDayPaper paper;
    paper.ReminderList.AddReminder().Subject = "kept";
    ASSERT_EQ(ReadMessage(PaperBytes(Short("ReminderList") + Hex("0E 00")), paper), "");
    ASSERT_EQ(paper.ReminderList.ReminderCount(), 1);
    EXPECT_EQ(paper.ReminderList.GetReminder(0).Subject, "kept");

    ASSERT_EQ(ReadMessage(PaperBytes(OneReminder("")), paper), "");
    EXPECT_EQ(paper.ReminderList.GetReminder(0).Subject, "");
}

TEST(StreamReader, StopsAtTheObjectsLastByte)
{
    const std::string one = PaperBytes(Short("Day") + Hex("02 01"));
    const std::string two = PaperBytes(Short("Day") + Hex("02 02"));
    const std::string both = one + two;
    TByteReader in(both);
    TDayPaper first;
    TDayPaper second;
    ReadStreamObject(in, first);
    EXPECT_EQ(in.Position(), one.size());
    ReadStreamObject(in, second);
    EXPECT_EQ(second.Day, 2.0);
    EXPECT_TRUE(in.AtEnd());
}

struct TErrorCase {
    const char* What;
    std::string Bytes;
    std::string Message;
};

TEST(StreamReader, ReportsEachFailureWithItsText)
{
    const std::string good = PaperBytes(Short("Day") + Hex("02 01"));
    const TErrorCase cases[] = {
        {"header mark", Hex("FE") + good.substr(1), "Invalid stream format"},
        {"header kind", Hex("FF 0B") + good.substr(2), "Invalid stream format"},
        {"signature", std::string(good).replace(good.find("TPF0"), 4, "TPF1"),
         "Invalid stream format"},
        {"end of data in the header", good.substr(0, 12), "Stream read error"},
        {"end of data in a name", good.substr(0, good.find("TPF0") + 7), "Stream read error"},
        {"end of data in a value", good.substr(0, good.size() - 3),
         "Error reading TDayPaper.Day: Stream read error"},
        {"end of data before the end", good.substr(0, good.size() - 1), "Stream read error"},
        {"unknown property", PaperBytes(Short("Colour") + Hex("02 01")),
         "Error reading TDayPaper.Colour: Property Colour does not exist"},
        {"unknown property in a reminder", PaperBytes(OneReminder(Short("Place") + Hex("06 01 78"))),
         "Error reading TDayPaper.ReminderList: Error reading TReminder.Place: "
         "Property Place does not exist"},
        {"wrong kind of value", PaperBytes(Short("Day") + Hex("06 01 31")),
         "Error reading TDayPaper.Day: Invalid property value"},
        {"text for a number", PaperBytes(OneReminder(Short("State") + Hex("06 01 31"))),
         "Error reading TDayPaper.ReminderList: Error reading TReminder.State: "
         "Invalid property value"},
        {"path through a number", PaperBytes(Short("Day.Month") + Hex("02 01")),
         "Error reading TDayPaper.Day.Month: Invalid property path"},
        {"path into a list", PaperBytes(Short("Note.Count") + Hex("02 01")),
         "Error reading TDayPaper.Note.Count: Property Count does not exist"},
        {"path past the lines", PaperBytes(Short("Note.Strings.Text") + Hex("02 01")),
         "Error reading TDayPaper.Note.Strings.Text: Property Strings does not exist"},
        {"read-only property", PaperBytes(OneReminder(Short("ReminderTime") + Hex("02 01"))),
         "Error reading TDayPaper.ReminderList: Error reading TReminder.ReminderTime: "
         "Property is read-only"},
        {"list without its list tag", PaperBytes(Short("Note.Strings") + Hex("06 01 78")),
         "Error reading TDayPaper.Note.Strings: Invalid property value"},
        {"collection for a list", PaperBytes(Short("Note") + Hex("0E 00")),
         "Error reading TDayPaper.Note: Invalid property value"},
        {"nothing for an owned list", PaperBytes(Short("Note") + Hex("0D")),
         "Error reading TDayPaper.Note: Cannot assign a nil to a TStringList"},
        {"nothing for the reminders", PaperBytes(Short("ReminderList") + Hex("0D")),
         "Error reading TDayPaper.ReminderList: Cannot assign a nil to a TReminderList"},
        {"link to a component", PaperBytes(Short("ReminderList") + Hex("07 02 41 42")),
         "Error reading TDayPaper.ReminderList: Invalid property value"},
        {"item without its list tag", PaperBytes(Short("ReminderList") + Hex("0E 06 00 00")),
         "Error reading TDayPaper.ReminderList: Invalid property value"},
        {"child object", ObjectBytes("TDayPaper", "").insert(
                             ObjectBytes("TDayPaper", "").size() - 1, Short("TDayPaper")),
         "Invalid stream format"},
        {"huge text length", PaperBytes(OneReminder(Short("Subject") + Hex("0C FF FF FF 7F 41"))),
         "Error reading TDayPaper.ReminderList: Error reading TReminder.Subject: "
         "Stream read error"},
        {"huge UTF-16 length", PaperBytes(Short("Note.Strings") + Hex("01 12 FF FF FF FF 41 00 00")),
         "Error reading TDayPaper.Note.Strings: Stream read error"},
        {"huge skipped length", PaperBytes(Short("Photo") + Hex("0A 00 00 00 80 01 02")),
         "Error reading TDayPaper.Photo: Stream read error"},
    };
    for (const auto& c : cases) {
        TDayPaper paper;
        EXPECT_EQ(ReadMessage(c.Bytes, paper), c.Message) << c.What;
    }
}

TEST(StreamReader, KeepsTheValuesReadBeforeAFailure)
{
    TDayPaper paper;
    const std::string records = Short("Day") + Hex("02 09") + Short("Note.Strings") +
                                Hex("01 06 01 61 00") + Short("Mood") + Hex("08") +
                                Short("Tag") + Hex("02 05");
    EXPECT_EQ(ReadMessage(PaperBytes(records), paper),
              "Error reading TDayPaper.Mood: Property Mood does not exist");
    EXPECT_EQ(paper.Day, 9.0);
    EXPECT_EQ(paper.Note, std::vector<std::string>{"a"});
    EXPECT_EQ(paper.Tag, 0);
}

TEST(StreamReader, SkipsEveryKindOfValueBeforeFailing)
{
    const std::string values[] = {
        Hex("00"), Hex("02 01"), Hex("03 01 02"), Hex("04 01 02 03 04"),
        Hex("05 00 00 00 00 00 00 00 80 FF 3F"), Short("x").insert(0, Hex("06")),
        Short("clRed").insert(0, Hex("07")), Hex("08"), Hex("09"), Hex("0A 02 00 00 00 01 02"),
        Hex("0B") + Short("fsBold") + Hex("00"), Hex("0C 01 00 00 00 41"), Hex("0D"),
        Hex("0E 02 01 01") + Short("A") + Hex("01 02 01 00 00 00"), Hex("0F 00 00 80 3F"),
        Hex("10 01 02 03 04 05 06 07 08"), Hex("11 01 02 03 04 05 06 07 08"),
        Hex("12 01 00 00 00 41 00"), Hex("13 01 02 03 04 05 06 07 08"), Hex("14 01 00 00 00 41"),
        Hex("01 02 01 01 02 02 00 00"),
    };
    for (const auto& value : values) {
        TDayPaper paper;
        // The failure names the unknown property, so the skip itself went through.
        EXPECT_EQ(ReadMessage(PaperBytes(Short("Unknown") + value), paper),
                  "Error reading TDayPaper.Unknown: Property Unknown does not exist");
    }
}

TEST(StreamReader, DeepNestingDoesNotExhaustTheStack)
{
    const std::size_t depth = 200000;
    const std::string lists = std::string(depth, '\x01') + std::string(depth, '\0');
    TDayPaper paper;
    EXPECT_EQ(ReadMessage(PaperBytes(Short("Unknown") + lists), paper),
              "Error reading TDayPaper.Unknown: Property Unknown does not exist");

    std::string items;
    for (std::size_t i = 0; i < depth / 4; ++i)
        items += Hex("0E 01") + Short("A");
    EXPECT_EQ(ReadMessage(PaperBytes(Short("Unknown") + items), paper),
              "Error reading TDayPaper.Unknown: Stream read error");
}

}  // namespace
}  // namespace orvenna::store
