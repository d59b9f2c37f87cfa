// Every button pressed at every moment of the sequence: each case brings the sequencer
// into a phase against a real HTTP server (answering, failing or stalling), presses there
// as a user would (only what the window shows enabled), and checks where the sequence
// settles, what it asked the server for, what it shows and which buttons it leaves on.
#include "app/text.h"
#include "player/playbacksequencer.h"
#include "player/sequencerview.h"
#include "support/eventwait.h"
#include "support/qtprinters.h"
#include "support/httpserver.h"
#include "support/smfwriter.h"
#include "support/testfiles.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <mutex>
#include <set>

using testing_support::runEventsFor;
using testing_support::TestHttpServer;
using testing_support::waitUntil;
using Phase = PlaybackSequencer::Phase;

namespace {

const std::string musicPath = "/11veruvodirororir/music/";

enum class Press { Play, Stop, Next, Menu, Close };
enum class EditorAnswer { Ok, Cancel, CloseProgram };

const char *pressName(Press press)
{
    static const char *names[] = {"Play", "Stop", "Next", "Menu", "Close"};
    return names[int(press)];
}

const char *phaseName(Phase phase)
{
    static const char *names[] = {"Initialising", "FetchingCatalogue", "CatalogueFailed", "Ready",
                                  "FetchingTune", "EndingTransfer", "Starting", "Playing", "Gap",
                                  "TuneFailed", "EditorOpen", "Closed"};
    return names[int(phase)];
}

// What the player window shows, as the sequencer sets it, and what a user may press.
class FakeView : public SequencerView
{
public:
    explicit FakeView(const PlayerState &state)
        : m_state(state)
    {
    }

    void ShowStatus(const QString &text, const QColor &color, StatusStyle) override
    {
        status = text;
        m_color = color;
        statuses << text;
    }
    QColor statusColor() const override { return m_color; }
    void setStatusColor(const QColor &color) override { m_color = color; }
    void setListCaption(const QString &text) override { listCaption = text; }
    void setTuneCaption(const QString &text) override { tuneCaption = text; }
    void setProgressMaximum(int) override {}
    void setProgressPosition(int) override {}
    void SetControlsEnabled(bool enabled) override { controlsEnabled = enabled; }
    void minimise() override {}
    void focusHiddenPanel() override {}
    void reportCannotPlay(const std::exception &) override {}
    bool runEditor() override
    {
        ++editorRuns;
        return editor();
    }
    void closeEditor() override { editorCloseAsked = true; }
    void closeWindow() override { closed = true; }

    // The window's rule: Play, Stop and Next need a tune to act on; closing always works.
    bool mayPress(Press press) const
    {
        if (press == Press::Close)
            return true;
        if (press == Press::Menu)
            return controlsEnabled;
        return controlsEnabled && !m_state.PlayList.empty();
    }

    QString status;
    QStringList statuses;
    QString listCaption;
    QString tuneCaption;
    bool controlsEnabled = false;
    int editorRuns = 0;
    bool editorCloseAsked = false;
    bool closed = false;
    std::function<bool()> editor = [] { return false; };

private:
    const PlayerState &m_state;
    QColor m_color;
};

// A press made as soon as the sequence stands in the phase, once the server has seen at
// least that many requests.
struct Step
{
    Phase when;
    Press press;
    bool enabled = true; // whether the window offers the button there
    std::size_t afterRequests = 0;
};

struct Setup
{
    bool autoRun = false;
    bool catalogueCopy = true;
    bool catalogueFails = false;
    bool catalogueStalls = false;
    std::set<std::string> missing;     // answered 404
    std::set<std::string> stallsFirst; // the first request stalls, later ones are answered
    EditorAnswer editor = EditorAnswer::Cancel;
};

struct Expected
{
    Phase phase;
    std::vector<std::string> requests;
    QString tuneCaption;
    QString status;
    bool controlsEnabled;
    int editorRuns = 0;
};

struct PressCase
{
    const char *name;
    Setup setup;
    std::vector<Step> steps;
    Expected expected;
};

// One player, fresh for each case: its folder with settings and catalogue, a server, the
// state, the view and the sequencer.
class Rig
{
public:
    explicit Rig(const Setup &setup)
        : m_setup(setup)
    {
        std::string ini = "[OPT]\r\nUsed=1\r\nWaite=1000\r\nFavNo=0\r\nServer=" + server.host() + "\r\nAutoRun="
            + (setup.autoRun ? "1" : "0") + "\r\n[MIDI_FAV]\r\n1=list\r\n[MIDI_list]\r\n1=a.mid\r\n2=b.mid\r\n3=c.mid\r\n";
        testing_support::writeFile(exe + QStringLiteral(".ini"), ini);
        if (setup.catalogueCopy)
            testing_support::writeFile(dir.path() + QStringLiteral("/@Midi.DBF"), catalogue);
        state.locate(exe);
        state.LoadFavNames();
        state.LoadCurrentPlayList();
        state.LoadWait();
        view.editor = [this] { return runEditor(); };
        sequencer.OnPhaseChanged = [this](Phase) { pressDueSteps(); };
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { pressDueSteps(); });
    }

    void run(std::vector<Step> steps)
    {
        m_steps.assign(steps.begin(), steps.end());
        sequencer.resetForStart();
        view.SetControlsEnabled(false);
        sequencer.begin();
        m_poll.start();
    }
    bool stepsDone() const { return m_steps.empty(); }

    std::vector<std::string> requestedPaths() const
    {
        std::vector<std::string> paths;
        for (const auto &request : server.requests())
            paths.push_back(request.path.substr(std::min(request.path.size(), musicPath.size())));
        return paths;
    }
    QStringList leftovers() const
    {
        return QDir(dir.path()).entryList({QStringLiteral("*.tmp-*")}, QDir::Files);
    }

    QTemporaryDir dir;
    QString exe = dir.path() + QStringLiteral("/quavelo");
    std::string catalogue = "Alpha,,Piano,Pop,0003,a.mid\r\nBravo,,Piano,Pop,0003,b.mid\r\nCharlie,,Piano,Pop,0003,c.mid\r\n";
    TestHttpServer server{[this](const TestHttpServer::Request &request) { return answer(request); }};
    PlayerState state;
    FakeView view{state};
    PlaybackSequencer sequencer{state, view};
    QStringList refusedPresses;
    QStringList editorFaults;

private:
    TestHttpServer::Reply answer(const TestHttpServer::Request &request)
    {
        const std::string name = request.path.substr(std::min(request.path.size(), musicPath.size()));
        if (name == "@Midi.DBF") {
            if (m_setup.catalogueStalls)
                return TestHttpServer::Reply::stalling();
            return m_setup.catalogueFails ? TestHttpServer::Reply::withBody("", 500)
                                          : TestHttpServer::Reply::withBody(catalogue);
        }
        if (m_setup.missing.count(name))
            return TestHttpServer::Reply::withBody("not here", 404);
        if (m_setup.stallsFirst.count(name)) {
            const std::lock_guard lock(m_mutex);
            if (m_stalled.insert(name).second)
                return TestHttpServer::Reply::stalling();
        }
        return TestHttpServer::Reply::withBody(testing_support::makeTune(2));
    }

    void pressDueSteps()
    {
        const Phase phase = sequencer.phase();
        while (!m_steps.empty() && m_steps.front().when == phase
               && server.requests().size() >= m_steps.front().afterRequests) {
            const Step step = m_steps.front();
            m_steps.pop_front();
            if (view.mayPress(step.press) != step.enabled) {
                refusedPresses << QStringLiteral("%1 in %2 was %3").arg(QLatin1String(pressName(step.press)),
                                                                       QLatin1String(phaseName(phase)),
                                                                       step.enabled ? QStringLiteral("disabled")
                                                                                    : QStringLiteral("enabled"));
            }
            if (view.mayPress(step.press))
                press(step.press);
        }
    }
    void press(Press press)
    {
        switch (press) {
        case Press::Play:
            sequencer.btnPlayClick(&sequencer);
            break;
        case Press::Stop:
            sequencer.btnStopClick(&sequencer);
            break;
        case Press::Next:
            sequencer.btnNextClick(&sequencer);
            break;
        case Press::Menu:
            sequencer.btnMemuClick();
            break;
        case Press::Close:
            sequencer.btnCloseClick();
            break;
        }
    }

    // While the editor is open, the player must rest completely: no request, no sound, no
    // timer, no download left running behind the editor.
    bool runEditor()
    {
        const std::size_t before = server.requests().size();
        if (sequencer.HTTPGet1.isBusy() || sequencer.HTTPGet2.isBusy())
            editorFaults << QStringLiteral("a download still runs as the editor opens");
        if (m_setup.editor == EditorAnswer::CloseProgram)
            sequencer.btnCloseClick();
        runEventsFor(400);
        if (server.requests().size() != before)
            editorFaults << QStringLiteral("a request was made while the editor was open");
        if (sequencer.MPlay.isOpen() || sequencer.hasActiveTimers())
            editorFaults << QStringLiteral("the player went on behind the editor");
        if (view.controlsEnabled)
            editorFaults << QStringLiteral("the player's buttons came back on behind the editor");
        return m_setup.editor == EditorAnswer::Ok;
    }

    Setup m_setup;
    std::deque<Step> m_steps;
    QTimer m_poll;
    std::mutex m_mutex;
    std::set<std::string> m_stalled;
};

void PrintTo(const PressCase &pressCase, std::ostream *out)
{
    *out << pressCase.name;
}

class SequencerPresses : public ::testing::TestWithParam<PressCase>
{
};

const QString waiting = QStringLiteral("待機中...");
const QString downloading = QStringLiteral("DownLoading...");
const QString commError = QStringLiteral("通信エラー！！");
const QString one = QStringLiteral("Tune : 1 / 3");
const QString two = QStringLiteral("Tune : 2 / 3");

Setup stallingA()
{
    Setup setup;
    setup.stallsFirst = {"a.mid"};
    return setup;
}
Setup stallingAWith(EditorAnswer answer)
{
    Setup setup = stallingA();
    setup.editor = answer;
    return setup;
}
Setup autoRunMissingA()
{
    Setup setup;
    setup.autoRun = true;
    setup.missing = {"a.mid"};
    return setup;
}
Setup withEditor(EditorAnswer answer)
{
    Setup setup;
    setup.editor = answer;
    return setup;
}

// The presses that follow a start without AutoRun, after the one Play that brings the
// sequence from resting to the phase of the case.
std::vector<Step> at(Phase phase, std::vector<Step> then)
{
    std::vector<Step> steps;
    if (phase != Phase::Ready)
        steps.push_back({Phase::Ready, Press::Play});
    steps.insert(steps.end(), then.begin(), then.end());
    return steps;
}

const QString alpha = QStringLiteral("Alpha");
const QString bravo = QStringLiteral("Bravo");

const PressCase cases[] = {
    // Resting at a start without AutoRun: the first tune is shown, nothing fetched.
    {"ReadyPlayFetchesTheTuneShown", {}, at(Phase::Ready, {{Phase::Ready, Press::Play}}),
     {Phase::Playing, {"a.mid"}, one, alpha, true}},
    {"ReadyNextFetchesTheFollowingTune", {}, at(Phase::Ready, {{Phase::Ready, Press::Next}}),
     {Phase::Playing, {"b.mid"}, two, bravo, true}},
    {"ReadyStopChangesNothing", {}, at(Phase::Ready, {{Phase::Ready, Press::Stop}}),
     {Phase::Ready, {}, one, waiting, true}},
    {"ReadyMenuThenCancelRests", {}, at(Phase::Ready, {{Phase::Ready, Press::Menu}}),
     {Phase::Ready, {}, one, waiting, true, 1}},
    {"ReadyMenuThenOkPlaysTheFirstTune", withEditor(EditorAnswer::Ok), at(Phase::Ready, {{Phase::Ready, Press::Menu}}),
     {Phase::Playing, {"a.mid"}, one, alpha, true, 1}},
    {"ReadyCloseClosesAtOnce", {}, at(Phase::Ready, {{Phase::Ready, Press::Close}}),
     {Phase::Closed, {}, one, waiting, true}},

    // A tune download that stalls until it is cancelled.
    {"FetchingPlayIsIgnored", stallingA(), at(Phase::FetchingTune, {{Phase::FetchingTune, Press::Play, true, 1}}),
     {Phase::FetchingTune, {"a.mid"}, one, downloading, true}},
    {"FetchingStopRestsAtTheTuneShown", stallingA(),
     at(Phase::FetchingTune, {{Phase::FetchingTune, Press::Stop, true, 1}}),
     {Phase::Ready, {"a.mid"}, one, waiting, true}},
    {"FetchingStopThenPlayFetchesTheSameTuneAgain", stallingA(),
     at(Phase::FetchingTune, {{Phase::FetchingTune, Press::Stop, true, 1}, {Phase::Ready, Press::Play}}),
     {Phase::Playing, {"a.mid", "a.mid"}, one, alpha, true}},
    {"FetchingNextCancelsQuietlyAndFetchesTheFollowingTune", stallingA(),
     at(Phase::FetchingTune, {{Phase::FetchingTune, Press::Next, true, 1}}),
     {Phase::Playing, {"a.mid", "b.mid"}, two, bravo, true}},
    {"FetchingNextThenStopBeforeTheEndRests", stallingA(),
     at(Phase::FetchingTune, {{Phase::FetchingTune, Press::Next, true, 1}, {Phase::EndingTransfer, Press::Stop}}),
     {Phase::Ready, {"a.mid"}, one, waiting, true}},
    {"FetchingStopThenNextBeforeTheEndMovesOn", stallingA(),
     at(Phase::FetchingTune, {{Phase::FetchingTune, Press::Stop, true, 1}, {Phase::EndingTransfer, Press::Next}}),
     {Phase::Playing, {"a.mid", "b.mid"}, two, bravo, true}},
    {"FetchingMenuOpensTheEditorOnlyAfterTheDownloadEnded", stallingA(),
     at(Phase::FetchingTune, {{Phase::FetchingTune, Press::Menu, true, 1}}),
     {Phase::Ready, {"a.mid"}, one, waiting, true, 1}},
    {"FetchingMenuThenOkFetchesTheFirstTuneAfresh", stallingAWith(EditorAnswer::Ok),
     at(Phase::FetchingTune, {{Phase::FetchingTune, Press::Menu, true, 1}}),
     {Phase::Playing, {"a.mid", "a.mid"}, one, alpha, true, 1}},
    {"FetchingCloseWaitsForTheDownloadsEnd", stallingA(),
     at(Phase::FetchingTune, {{Phase::FetchingTune, Press::Close, true, 1}}),
     {Phase::Closed, {"a.mid"}, one, downloading, true}},

    // The 150 ms between the tune's arrival and its start.
    {"StartingStopKeepsItSilent", {}, at(Phase::Starting, {{Phase::Starting, Press::Stop}}),
     {Phase::Ready, {"a.mid"}, one, alpha, true}},
    {"StartingStopThenPlayPlaysTheArrivedFile", {},
     at(Phase::Starting, {{Phase::Starting, Press::Stop}, {Phase::Ready, Press::Play}}),
     {Phase::Playing, {"a.mid"}, one, alpha, true}},
    {"StartingNextPlaysTheNextTuneUnderItsOwnNumber", {}, at(Phase::Starting, {{Phase::Starting, Press::Next}}),
     {Phase::Playing, {"a.mid", "b.mid"}, two, bravo, true}},
    {"StartingPlayStartsAtOnce", {}, at(Phase::Starting, {{Phase::Starting, Press::Play}}),
     {Phase::Playing, {"a.mid"}, one, alpha, true}},
    {"StartingMenuKeepsItSilentBehindTheEditor", {}, at(Phase::Starting, {{Phase::Starting, Press::Menu}}),
     {Phase::Ready, {"a.mid"}, one, alpha, true, 1}},
    {"StartingCloseCloses", {}, at(Phase::Starting, {{Phase::Starting, Press::Close}}),
     {Phase::Closed, {"a.mid"}, one, downloading, true}},

    // A tune playing.
    {"PlayingPlayStartsTheSameFileAgain", {}, at(Phase::Playing, {{Phase::Playing, Press::Play}}),
     {Phase::Playing, {"a.mid"}, one, alpha, true}},
    {"PlayingStopRestsWithTheTitleShown", {}, at(Phase::Playing, {{Phase::Playing, Press::Stop}}),
     {Phase::Ready, {"a.mid"}, one, alpha, true}},
    {"PlayingNextFetchesTheFollowingTune", {}, at(Phase::Playing, {{Phase::Playing, Press::Next}}),
     {Phase::Playing, {"a.mid", "b.mid"}, two, bravo, true}},
    {"PlayingMenuThenCancelThenPlayReplaysTheFile", {},
     at(Phase::Playing, {{Phase::Playing, Press::Menu}, {Phase::Ready, Press::Play}}),
     {Phase::Playing, {"a.mid"}, one, alpha, true, 1}},
    {"PlayingMenuThenOkStartsAgainAtTheFirstTune", withEditor(EditorAnswer::Ok),
     at(Phase::Playing, {{Phase::Playing, Press::Menu}}),
     {Phase::Playing, {"a.mid", "a.mid"}, one, alpha, true, 1}},
    {"PlayingCloseCloses", {}, at(Phase::Playing, {{Phase::Playing, Press::Close}}),
     {Phase::Closed, {"a.mid"}, one, alpha, true}},

    // The gap after a tune.
    {"GapStopCancelsTheNextTune", {}, at(Phase::Gap, {{Phase::Gap, Press::Stop}}),
     {Phase::Ready, {"a.mid"}, one, alpha, true}},
    {"GapNextFetchesTheNextTuneAtOnce", {}, at(Phase::Gap, {{Phase::Gap, Press::Next}}),
     {Phase::Playing, {"a.mid", "b.mid"}, two, bravo, true}},
    {"GapPlayReplaysTheTune", {}, at(Phase::Gap, {{Phase::Gap, Press::Play}}),
     {Phase::Playing, {"a.mid"}, one, alpha, true}},
    {"GapMenuThenCancelRests", {}, at(Phase::Gap, {{Phase::Gap, Press::Menu}}),
     {Phase::Ready, {"a.mid"}, one, alpha, true, 1}},

    // An automatic start whose first tune fails.
    {"FailedFirstTuneAtAutoRunLeavesTheButtonsOn", autoRunMissingA(), {},
     {Phase::TuneFailed, {"a.mid"}, one, commError, true}},
    {"FailedNextMovesOn", autoRunMissingA(), {{Phase::TuneFailed, Press::Next}},
     {Phase::Playing, {"a.mid", "b.mid"}, two, bravo, true}},
    {"FailedPlayMovesOnWhenNothingArrived", autoRunMissingA(), {{Phase::TuneFailed, Press::Play}},
     {Phase::Playing, {"a.mid", "b.mid"}, two, bravo, true}},
    {"FailedStopKeepsTheError", autoRunMissingA(), {{Phase::TuneFailed, Press::Stop}},
     {Phase::TuneFailed, {"a.mid"}, one, commError, true}},
    {"FailedMenuThenCancelKeepsTheError", autoRunMissingA(), {{Phase::TuneFailed, Press::Menu}},
     {Phase::TuneFailed, {"a.mid"}, one, commError, true, 1}},

    // The first download of an automatic start: only closing is offered.
    {"AutoStartDownloadOffersOnlyClosing", [] { Setup setup = stallingA(); setup.autoRun = true; return setup; }(),
     {{Phase::FetchingTune, Press::Next, false, 1}, {Phase::FetchingTune, Press::Menu, false, 1},
      {Phase::FetchingTune, Press::Close, true, 1}},
     {Phase::Closed, {"a.mid"}, one, downloading, false}},

    // Start-up and the catalogue.
    {"InitialisingCloseClosesWithoutARequest", {},
     {{Phase::Initialising, Press::Play, false}, {Phase::Initialising, Press::Close}},
     {Phase::Closed, {}, QString(), QString(), false}},
    {"FetchingCatalogueOffersOnlyClosingAndWaitsForTheDownloadsEnd",
     [] { Setup setup; setup.catalogueCopy = false; setup.catalogueStalls = true; return setup; }(),
     {{Phase::FetchingCatalogue, Press::Menu, false, 1}, {Phase::FetchingCatalogue, Press::Play, false, 1},
      {Phase::FetchingCatalogue, Press::Close, true, 1}},
     {Phase::Closed, {"@Midi.DBF"}, QString(), QStringLiteral("初期化中..."), false}},
    {"AFailedCatalogueLeavesOnlyClosing",
     [] { Setup setup; setup.catalogueCopy = false; setup.catalogueFails = true; setup.autoRun = true; return setup; }(),
     {{Phase::CatalogueFailed, Press::Menu, false}, {Phase::CatalogueFailed, Press::Close}},
     {Phase::Closed, {"@Midi.DBF"}, QString(), commError, false}},

    // Closing the program while the editor is open closes the editor first.
    {"CloseWhileTheEditorIsOpenClosesAfterIt", withEditor(EditorAnswer::CloseProgram),
     at(Phase::Ready, {{Phase::Ready, Press::Menu}}),
     {Phase::Closed, {}, one, waiting, false, 1}},
};

} // namespace

TEST_P(SequencerPresses, SettlesWhereAUserExpects)
{
    const PressCase &c = GetParam();
    Rig rig(c.setup);
    rig.run(c.steps);
    const Expected &expected = c.expected;

    ASSERT_TRUE(waitUntil([&] { return rig.stepsDone() && rig.sequencer.phase() == expected.phase; }, 20000))
        << "stands in " << phaseName(rig.sequencer.phase()) << ", steps left: " << !rig.stepsDone();
    // Nothing of an earlier phase may still come.
    runEventsFor(300);
    EXPECT_EQ(phaseName(rig.sequencer.phase()), std::string(phaseName(expected.phase)));

    EXPECT_EQ(rig.requestedPaths(), expected.requests);
    EXPECT_EQ(rig.view.tuneCaption, expected.tuneCaption);
    EXPECT_EQ(rig.view.status, expected.status);
    EXPECT_EQ(rig.view.controlsEnabled, expected.controlsEnabled);
    EXPECT_EQ(rig.view.editorRuns, expected.editorRuns);
    EXPECT_EQ(rig.refusedPresses, QStringList());
    EXPECT_EQ(rig.editorFaults, QStringList());
    // A quietly cancelled download never shows as an error.
    if (c.setup.missing.empty() && !c.setup.catalogueFails) {
        EXPECT_FALSE(rig.view.statuses.contains(commError));
    }

    const bool resting = expected.phase == Phase::Ready || expected.phase == Phase::TuneFailed
        || expected.phase == Phase::Closed || expected.phase == Phase::CatalogueFailed;
    if (resting) {
        EXPECT_FALSE(rig.sequencer.hasActiveTimers()) << "a resting player wakes nothing up";
        EXPECT_FALSE(rig.sequencer.HTTPGet1.isBusy() || rig.sequencer.HTTPGet2.isBusy());
        EXPECT_FALSE(rig.sequencer.MPlay.isOpen());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    if (expected.phase == Phase::Closed) {
        EXPECT_TRUE(rig.view.closed);
        EXPECT_EQ(rig.leftovers(), QStringList()) << "a download's temporary file was left behind";
    }
    if (c.setup.editor == EditorAnswer::CloseProgram) {
        EXPECT_TRUE(rig.view.editorCloseAsked);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPhase, SequencerPresses, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<PressCase> &info) { return std::string(info.param.name); });
