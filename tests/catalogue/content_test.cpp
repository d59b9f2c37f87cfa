// The catalogue tree that quavelo-catalogue serves: "@Midi.DBF", the tune files it names
// and the online manual, read the way the program reads them.

#include "app/inidocument.h"
#include "app/text.h"
#include "catalogue/cataloguefile.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using text::fromCp932;
using text::isLeadByte;
using text::nextCharPos;
using text::toCp932;

namespace {

QString musicDir()
{
    return testing_support::sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music/");
}

std::string servedFile(const std::string &name)
{
    return testing_support::readFile(musicDir() + QString::fromStdString(name));
}

std::string catalogue()
{
    return servedFile("@Midi.DBF");
}

// What a Standard MIDI File holds that the tests look at.
struct MidiSummary
{
    double seconds = 0;
    std::set<int> noteChannels;
    std::map<int, int> programs; // channel -> first program change
};

// A small reader of format 0/1 files with a ticks-per-quarter division: the time of the
// last event of any track, through the tempo map, and the channels that play notes.
std::optional<MidiSummary> readMidi(const std::string &data)
{
    std::size_t pos = 0;
    const auto have = [&](std::size_t n) { return pos + n <= data.size(); };
    const auto byte = [&]() { return static_cast<unsigned char>(data[pos++]); };
    const auto number = [&](int bytes) {
        std::uint32_t value = 0;
        while (bytes-- > 0)
            value = (value << 8) | byte();
        return value;
    };
    const auto variable = [&]() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4 && have(1); ++i) {
            const unsigned char b = byte();
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80))
                break;
        }
        return value;
    };

    if (!have(14) || data.compare(0, 4, "MThd") != 0)
        return std::nullopt;
    pos = 4;
    const std::uint32_t headerLength = number(4);
    number(2);
    const int tracks = int(number(2));
    const int division = int(number(2));
    if (division <= 0 || division & 0x8000)
        return std::nullopt;
    pos = 8 + headerLength;

    MidiSummary summary;
    std::map<std::uint64_t, std::uint32_t> tempos; // tick -> microseconds per quarter
    std::uint64_t endTick = 0;
    for (int t = 0; t < tracks; ++t) {
        if (!have(8) || data.compare(pos, 4, "MTrk") != 0)
            return std::nullopt;
        pos += 4;
        const std::uint32_t length = number(4);
        const std::size_t end = pos + length;
        if (end > data.size())
            return std::nullopt;
        std::uint64_t tick = 0;
        unsigned char status = 0;
        while (pos < end) {
            tick += variable();
            if (static_cast<unsigned char>(data[pos]) & 0x80)
                status = byte();
            if (status == 0xFF) {
                const unsigned char kind = byte();
                const std::uint32_t size = variable();
                if (kind == 0x51 && size == 3)
                    tempos.emplace(tick, number(3));
                else
                    pos += size;
            } else if (status == 0xF0 || status == 0xF7) {
                pos += variable();
            } else {
                const int kind = status & 0xF0;
                const int channel = status & 0x0F;
                if (kind == 0xC0 || kind == 0xD0) {
                    const int value = byte();
                    if (kind == 0xC0)
                        summary.programs.emplace(channel, value);
                } else {
                    byte();
                    const int velocity = byte();
                    if (kind == 0x90 && velocity > 0)
                        summary.noteChannels.insert(channel);
                }
            }
        }
        if (pos != end)
            return std::nullopt;
        endTick = std::max(endTick, tick);
    }

    std::uint64_t lastTick = 0;
    double tempo = 500000;
    for (const auto &[tick, value] : tempos) {
        if (tick >= endTick)
            break;
        summary.seconds += double(tick - lastTick) * tempo / division / 1e6;
        lastTick = tick;
        tempo = value;
    }
    summary.seconds += double(endTick - lastTick) * tempo / division / 1e6;
    return summary;
}

// The file names of the built-in sample play list, read from the shipped defaults.
std::vector<std::string> sampleFileNames()
{
    const IniDocument defaults(
        testing_support::readFile(testing_support::sourceDir() + QStringLiteral("/resources/setup.ini")));
    const std::string list = defaults.value("MIDI_FAV", "1").value_or("");
    return defaults.listValues("MIDI_" + list);
}

bool isFourDigits(std::string_view s)
{
    return s.size() == 4 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int playTimeSeconds(std::string_view playTime)
{
    return std::stoi(std::string(playTime.substr(0, 2))) * 60 + std::stoi(std::string(playTime.substr(2)));
}

} // namespace

TEST(ServedCatalogue, IsCp932TextWithCrLfLineEnds)
{
    const std::string served = catalogue();
    ASSERT_NE(served, "<missing>");
    ASSERT_GE(served.size(), 2u);
    EXPECT_EQ(served.substr(served.size() - 2), "\r\n");
    for (std::size_t i = 0; i < served.size(); ++i) {
        if (served[i] == '\r') {
            ASSERT_TRUE(i + 1 < served.size() && served[i + 1] == '\n') << "lone CR at byte " << i;
        }
        if (served[i] == '\n') {
            ASSERT_TRUE(i > 0 && served[i - 1] == '\r') << "lone LF at byte " << i;
        }
    }
    // Every byte sequence is a character of code page 932: the text comes back unchanged.
    EXPECT_EQ(toCp932(fromCp932(served)).value_or(""), served);
}

TEST(ServedCatalogue, EveryLineIsOneTuneOfSixFields)
{
    const std::string served = catalogue();
    const CatalogueTable table(served);
    ASSERT_GE(table.rowCount(), 40u);
    EXPECT_EQ(table.rowCount(), SplitCatalogueLines(served).size());

    std::set<std::string> fileNames;
    for (const std::string_view line : SplitCatalogueLines(served))
        EXPECT_EQ(SplitCatalogueFields(line).size(), 6u) << fromCp932(line).toStdString();
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        EXPECT_FALSE(table.cell(row, CellTitle).empty()) << "row " << row;
        EXPECT_FALSE(table.cell(row, CellInstrument).empty()) << "row " << row;
        EXPECT_FALSE(table.cell(row, CellGenre).empty()) << "row " << row;
        EXPECT_TRUE(table.cell(row, CellMark).empty()) << "row " << row;
        const std::string fileName(table.cell(row, CellFileName));
        EXPECT_TRUE(fileNames.insert(QString::fromStdString(fileName).toLower().toStdString()).second)
            << "listed twice: " << fileName;
    }

    // The genres the editor sorts by first.
    std::set<QString> genres;
    for (std::size_t row = 0; row < table.rowCount(); ++row)
        genres.insert(fromCp932(table.cell(row, CellGenre)));
    for (const char *genre : {"クリスマス", "童謡", "クラシック", "民謡"})
        EXPECT_TRUE(genres.count(QString::fromUtf8(genre))) << genre;
}

TEST(ServedCatalogue, ListsEverySampleTuneAndServesEveryListedFile)
{
    const std::string served = catalogue();
    const std::vector<std::string> samples = sampleFileNames();
    ASSERT_EQ(samples.size(), 14u);
    for (const std::string &name : samples) {
        EXPECT_FALSE(LookupTitle(served, name).empty()) << name;
        EXPECT_TRUE(QFileInfo::exists(musicDir() + QString::fromStdString(name))) << name;
    }
    // The look-up is byte for byte: the upper-case extension of the sample list counts.
    EXPECT_FALSE(LookupTitle(served, "santamachinikuru.MID").empty());
    EXPECT_TRUE(LookupTitle(served, "santamachinikuru.mid").empty());

    const CatalogueTable table(served);
    std::set<QString> listed;
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        const QString name = QString::fromStdString(std::string(table.cell(row, CellFileName)));
        listed.insert(name);
        EXPECT_TRUE(QFileInfo::exists(musicDir() + name)) << name.toStdString();
    }
    // No tune file is served that the catalogue does not list.
    const QStringList files = QDir(musicDir()).entryList({QStringLiteral("*.mid"), QStringLiteral("*.MID")}, QDir::Files);
    for (const QString &file : files)
        EXPECT_TRUE(listed.count(file)) << file.toStdString();
}

TEST(ServedCatalogue, PlayTimesAreTheRealLengthsOfTheTunes)
{
    const CatalogueTable table(catalogue());
    int nearOneMinute = 0;
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        const std::string fileName(table.cell(row, CellFileName));
        const std::string_view playTime = table.cell(row, CellPlayTime);
        ASSERT_TRUE(isFourDigits(playTime)) << fileName;
        ASSERT_LT(std::stoi(std::string(playTime.substr(2))), 60) << fileName;

        const std::optional<MidiSummary> midi = readMidi(servedFile(fileName));
        ASSERT_TRUE(midi) << fileName << " is not a Standard MIDI File";
        EXPECT_NEAR(playTimeSeconds(playTime), midi->seconds, 1.0) << fileName;
        EXPECT_GE(midi->seconds, 30.0) << fileName;
        EXPECT_LE(midi->seconds, 160.0) << fileName;
        if (std::abs(midi->seconds - 60.0) <= 5.0)
            ++nearOneMinute;
    }
    EXPECT_GE(nearOneMinute, 1);
}

TEST(ServedCatalogue, TunesPlayMelodyHarmonyAndBassOnInstrumentsOfTheirOwn)
{
    const CatalogueTable table(catalogue());
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        const std::string fileName(table.cell(row, CellFileName));
        const std::optional<MidiSummary> midi = readMidi(servedFile(fileName));
        ASSERT_TRUE(midi) << fileName;
        EXPECT_GE(midi->noteChannels.size(), 3u) << fileName;
        for (const int channel : midi->noteChannels) {
            EXPECT_NE(channel, 9) << fileName << " plays on the drum channel";
            EXPECT_TRUE(midi->programs.count(channel)) << fileName << ": no program on channel " << channel;
        }
    }
}

TEST(ServedCatalogue, ExercisesTheQuotingAndDoubleByteRulesOfItsFormat)
{
    const std::string served = catalogue();
    const std::vector<std::string_view> lines = SplitCatalogueLines(served);

    // A title with a half-width space stands in quotes and splits as one field.
    bool quotedSpace = false;
    // A quoted field holding a comma and a doubled double quote.
    bool quotedCommaAndQuote = false;
    // A title with a double-byte character whose trail byte is 0x5C, unquoted.
    bool trail5C = false;
    // An empty composer that leaves the later fields in their columns.
    bool emptyComposer = false;

    for (const std::string_view line : lines) {
        const std::vector<std::string> fields = SplitCatalogueFields(line);
        ASSERT_EQ(fields.size(), 6u);
        const std::string &title = fields[0];
        if (line.front() == '"' && title.find(' ') != std::string::npos)
            quotedSpace = true;
        if (line.find("\"\"") != std::string_view::npos && title.find(',') != std::string::npos
            && title.find('"') != std::string::npos) {
            quotedCommaAndQuote = true;
            EXPECT_EQ(title, "Sleep, Little \"Star\"");
            EXPECT_EQ(LookupTitle(served, fields[5]), title);
        }
        for (std::size_t i = 0; i < title.size(); i = nextCharPos(title, i)) {
            if (isLeadByte(static_cast<unsigned char>(title[i])) && i + 1 < title.size() && title[i + 1] == '\x5C') {
                trail5C = true;
                EXPECT_EQ(LookupTitle(served, fields[5]), title);
            }
        }
        if (fields[1].empty()) {
            emptyComposer = true;
            EXPECT_FALSE(fields[2].empty());
            EXPECT_TRUE(isFourDigits(fields[4]));
        }
    }
    EXPECT_TRUE(quotedSpace);
    EXPECT_TRUE(quotedCommaAndQuote);
    EXPECT_TRUE(trail5C);
    EXPECT_TRUE(emptyComposer);
}

TEST(ServedManual, IsAJapanesePageWithTheProgramsOwnTexts)
{
    const std::string page = servedFile("help/help.html");
    ASSERT_NE(page, "<missing>");
    const QString served = QString::fromUtf8(page);
    EXPECT_EQ(served.toUtf8().toStdString(), page) << "not valid UTF-8";
    EXPECT_TRUE(served.contains(QStringLiteral("charset=\"utf-8\""), Qt::CaseInsensitive));
    EXPECT_TRUE(served.contains(QStringLiteral("lang=\"ja\"")));

    // The names of the buttons, menus, options and messages the user meets.
    for (const char *label :
         {"MENU", "HELP", "演奏の開始", "演奏の停止", "次の曲に進む", "オートシャッフル", "起動時自動再生",
          "起動時最小化", "常に前面に表示", "プレーヤーのスキン", "ブラック", "シルバー", "Quavelo の設定",
          "決 定", "ｷｬﾝｾﾙ", "再生", "停止", "曲間ギャップ", "プレーヤースキン", "再生する", "停止する",
          "名前の変更", "お気に入りの追加", "お気に入りの削除", "プレイリストから削除", "プレイリストの全削除",
          "上に移動", "下に移動", "収録曲数", "通信エラー！！", "No play list !!", "初期化中...", "待機中...",
          "DownLoading...", "内容が変更されています！！", "に書き込めません"}) {
        EXPECT_TRUE(served.contains(QString::fromUtf8(label))) << label;
    }
}

TEST(ServedCatalogue, IsUpToDateWithItsSources)
{
    if (QStandardPaths::findExecutable(QStringLiteral("abc2midi")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        GTEST_SKIP() << "abc2midi is not installed";
    QProcess tool;
    tool.start(QStringLiteral("python3"),
               {testing_support::sourceDir() + QStringLiteral("/tools/make-content"), QStringLiteral("--check")});
    ASSERT_TRUE(tool.waitForFinished(120000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardOutput().toStdString()
                                  << tool.readAllStandardError().toStdString();
}
