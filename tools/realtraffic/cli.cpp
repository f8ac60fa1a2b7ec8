#include "tools/realtraffic/cli.h"

#include <fmt/format.h>

#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "tools/realtraffic/busy.h"
#include "tools/realtraffic/command_client.h"
#include "tools/realtraffic/control.h"
#include "tools/realtraffic/real_feed.h"
#include "tools/realtraffic/replay.h"
#include "tools/realtraffic/truth.h"

namespace realtraffic {
namespace {

constexpr const char* kUsage = R"(usage:
  realtraffic generate <scenario> [--real-feed[=<seed>]]
  realtraffic replay <scenario> [replay options]
  realtraffic command [command options] [--replay <scenario> [replay options]]
  realtraffic busy --stands <stand file> --out <scenario> [busy options]
replay options:
  --to <IPv4 address>     where the program runs (127.0.0.1)
  --traffic-port <n>      49005
  --qnh-port <n>          49004
  --duplicates            send every traffic datagram twice
  --malformed-every <n>   a malformed datagram after every n-th traffic datagram
  --oversize              one datagram longer than the program's buffer first
  --primer                one datagram far away first
  --speed <factor>        time factor (0: all at once)
  --clock <hh:mm:ss>      the timestamps start today at this UTC time (default: now)
  --quiet                 no line per datagram
  --real-feed[=<seed>]    the tracks as a real feed reports them (seed 1)
  --truth <file>          write the tracks' noise-free positions over time (CSV)
command options:
  --host <address>        127.0.0.1
  --port <n>              10747
  --version <text>        the version reported (9.0.0)
  --level <n>             the level reported (2)
  --no-version-reply      leave the version request unanswered
  --timeout <seconds>     fail when "exit" has not come by then
  --drop-after <n>        drop the connection after n position lines, then connect again
  --reconnect-ms <n>      pause before connecting again (1000)
  --connect-attempts <n>  120, one every --retry-ms (500)
  --transcript <file>     write every line received and sent
  --sessions <n>          program runs to serve, each ended by "exit" (1; 0: until stopped)
  --control <file>        take actions from this file while running (drop-link, burst, stop)
busy options:
  --aircraft <n>          aircraft in range at once (500)
  --seconds <s>           length of the scenario (1800)
  --seed <n>              the same seed gives the same scenario (1)
)";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::span<const std::string> list;
    std::size_t at = 0;

    bool done() const { return at >= list.size(); }
    const std::string& next(const std::string& option) {
        if (done()) throw UsageError(fmt::format("{} needs a value", option));
        return list[at++];
    }
    template <class T>
    T number(const std::string& option) {
        const std::string& text = next(option);
        T value{};
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size())
            throw UsageError(fmt::format("{} needs a number, not '{}'", option, text));
        return value;
    }
};

struct ReplayJob {
    Scenario scenario;
    ReplayOptions options;
    bool quiet = false;
    std::optional<RealFeedOptions> realFeed;
    std::string truthPath;
};

// "--real-feed" or "--real-feed=<seed>"; false for any other option.
bool takeRealFeedOption(const std::string& option, std::optional<RealFeedOptions>& realFeed) {
    constexpr std::string_view kOption = "--real-feed";
    if (option.compare(0, kOption.size(), kOption) != 0) return false;
    RealFeedOptions options;
    if (option.size() > kOption.size()) {
        if (option[kOption.size()] != '=') return false;
        const char* begin = option.data() + kOption.size() + 1;
        const char* end = option.data() + option.size();
        const auto [stop, ec] = std::from_chars(begin, end, options.seed);
        if (begin == end || ec != std::errc() || stop != end)
            throw UsageError(
                fmt::format("--real-feed takes a seed (a whole number), not '{}'", std::string(begin, end)));
    }
    realFeed = options;
    return true;
}

// What the replay sends: the scenario's tracks as the generator makes them,
// or as a real feed reports them.
std::vector<TimedDatagram> trafficOf(const Scenario& scenario, const std::optional<RealFeedOptions>& realFeed) {
    return realFeed ? expandRealFeed(scenario, *realFeed) : expandScenario(scenario);
}

// Today's date (UTC) at the time of day "hh:mm:ss", in Unix seconds.
double todayAt(const std::string& option, const std::string& text) {
    int hour = -1, minute = -1, second = -1;
    char colon1 = 0, colon2 = 0;
    std::istringstream in(text);
    in >> hour >> colon1 >> minute >> colon2 >> second;
    if (!in || !in.eof() || colon1 != ':' || colon2 != ':' || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        throw UsageError(fmt::format("{} needs a time hh:mm:ss, not '{}'", option, text));
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    return static_cast<double>(now - now % 86400 + hour * 3600 + minute * 60 + second);
}

bool takeReplayOption(Arguments& args, const std::string& option, ReplayJob& job) {
    ReplayOptions& o = job.options;
    if (option == "--to") o.address = args.next(option);
    else if (option == "--traffic-port") o.trafficPort = args.number<std::uint16_t>(option);
    else if (option == "--qnh-port") o.qnhPort = args.number<std::uint16_t>(option);
    else if (option == "--duplicates") o.duplicates = true;
    else if (option == "--malformed-every") o.malformedEvery = args.number<std::size_t>(option);
    else if (option == "--oversize") o.oversize = true;
    else if (option == "--primer") o.primer = true;
    else if (option == "--speed") o.speed = args.number<double>(option);
    else if (option == "--clock") o.startTime = todayAt(option, args.next(option));
    else if (option == "--quiet") job.quiet = true;
    else if (option == "--truth") job.truthPath = args.next(option);
    else return takeRealFeedOption(option, job.realFeed);
    return true;
}

// The options that only make sense together, and a scenario whose tracks
// cannot be sent: refused before any connection is made.
void checkReplayJob(const ReplayJob& job) {
    if (!job.truthPath.empty() && !(job.options.speed > 0))
        throw UsageError("--truth needs a replay in time (--speed above 0)");
    trafficOf(job.scenario, job.realFeed);
}

ReplayReport runReplay(const ReplayJob& job, std::ostream& out, const std::atomic<bool>* cancel) {
    const auto traffic = trafficOf(job.scenario, job.realFeed);
    const double last = traffic.empty() ? 0.0 : traffic.back().offset;
    const auto qnh = qnhSchedule(job.scenario, last, job.options.qnhInterval);
    // The truth's clock is this PC's: the replay starts now, whatever time
    // the datagrams' timestamps start at.
    if (!job.truthPath.empty()) writeTruthFile(job.truthPath, truthCsv(job.scenario, unixNow(), job.options.speed));
    return replay(traffic, qnh, job.options, job.quiet ? nullptr : &out, cancel);
}

void printReport(const ReplayReport& r, std::ostream& out) {
    out << fmt::format("sent {} traffic, {} duplicate, {} malformed, {} oversize, {} primer, {} QNH datagrams; {} "
                       "withheld while away\n",
                       r.traffic, r.duplicates, r.malformed, r.oversize, r.primer, r.qnh, r.withheld);
}

// Takes the control file's actions until `finished`: four looks a second.
void followControlFile(const std::filesystem::path& path, const ReplayOptions& burstTarget, LinkRequests& requests,
                       const std::atomic<bool>& finished, std::ostream& out) {
    while (!finished.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        std::error_code error;
        if (!std::filesystem::exists(path, error)) continue;
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        in.close();
        std::filesystem::remove(path, error);
        for (const ControlAction& action : parseControl(text.str())) {
            switch (action.kind) {
                case ControlAction::Kind::dropLink:
                    out << fmt::format("control: the command link goes away for {} s\n", action.seconds) << std::flush;
                    requests.dropMs = static_cast<int>(action.seconds * 1000);
                    break;
                case ControlAction::Kind::burst:
                    out << fmt::format("control: a burst of {} malformed and {} oversize datagrams\n",
                                       action.malformed, action.oversize)
                        << std::flush;
                    sendBurst(burstTarget, action.malformed, action.oversize);
                    break;
                case ControlAction::Kind::stop:
                    out << "control: stop\n" << std::flush;
                    requests.stop = true;
                    break;
            }
        }
    }
}

int generateCommand(Arguments& args, std::ostream& out) {
    const Scenario scenario = loadScenario(args.next("generate"));
    std::optional<RealFeedOptions> realFeed;
    while (!args.done()) {
        const std::string& option = args.list[args.at++];
        if (!takeRealFeedOption(option, realFeed)) throw UsageError(fmt::format("unknown option '{}'", option));
    }
    for (const TimedDatagram& d : trafficOf(scenario, realFeed)) out << fmt::format("{:.2f} {}\n", d.offset, d.text);
    return 0;
}

int replayCommand(Arguments& args, std::ostream& out) {
    ReplayJob job{loadScenario(args.next("replay"))};
    while (!args.done()) {
        const std::string& option = args.list[args.at++];
        if (!takeReplayOption(args, option, job)) throw UsageError(fmt::format("unknown option '{}'", option));
    }
    checkReplayJob(job);
    printReport(runReplay(job, out, nullptr), out);
    return 0;
}

int commandCommand(Arguments& args, std::ostream& out) {
    CommandClientOptions options;
    std::unique_ptr<ReplayJob> job;
    std::string transcriptPath, controlPath;
    while (!args.done()) {
        const std::string& option = args.list[args.at++];
        if (option == "--host") options.host = args.next(option);
        else if (option == "--port") options.port = args.number<std::uint16_t>(option);
        else if (option == "--version") options.version = args.next(option);
        else if (option == "--level") options.level = args.number<int>(option);
        else if (option == "--no-version-reply") options.version.reset();
        else if (option == "--timeout") options.timeoutSeconds = args.number<double>(option);
        else if (option == "--drop-after") options.dropAfterArea = args.number<int>(option);
        else if (option == "--reconnect-ms") options.reconnectMs = args.number<int>(option);
        else if (option == "--connect-attempts") options.connectAttempts = args.number<int>(option);
        else if (option == "--retry-ms") options.retryMs = args.number<int>(option);
        else if (option == "--transcript") transcriptPath = args.next(option);
        else if (option == "--sessions") options.sessions = args.number<int>(option);
        else if (option == "--control") controlPath = args.next(option);
        else if (option == "--replay") job = std::make_unique<ReplayJob>(ReplayJob{loadScenario(args.next(option))});
        else if (!job || !takeReplayOption(args, option, *job))
            throw UsageError(fmt::format("unknown option '{}'", option));
    }
    if (job) checkReplayJob(*job);
    std::ofstream transcript;
    if (!transcriptPath.empty()) {
        transcript.open(transcriptPath, std::ios::binary);
        if (!transcript) throw StandInError(fmt::format("cannot write the transcript {}", transcriptPath));
    }

    // The program binds its traffic reader only after it has sent its first
    // position, so the replay starts there.
    std::atomic<bool> cancel{false};
    std::thread replayThread;
    std::string replayError;
    std::optional<ReplayReport> replayed;
    if (job)
        options.onFirstArea = [&] {
            replayThread = std::thread([&] {
                try {
                    replayed = runReplay(*job, out, &cancel);
                } catch (const std::exception& e) {
                    replayError = e.what();
                }
            });
        };
    LinkRequests requests;
    options.requests = &requests;
    if (job) job->options.withhold = &requests.away;
    const ReplayOptions burstTarget = job ? job->options : ReplayOptions{};
    std::thread controlThread;
    std::string controlError;
    std::atomic<bool> finished{false};
    if (!controlPath.empty())
        controlThread = std::thread([&] {
            try {
                followControlFile(controlPath, burstTarget, requests, finished, out);
            } catch (const std::exception& e) {
                controlError = e.what();
                requests.stop = true;
            }
        });
    const auto finishReplay = [&] {
        cancel = true;
        finished = true;
        if (replayThread.joinable()) replayThread.join();
        if (controlThread.joinable()) controlThread.join();
    };
    CommandClientReport report;
    try {
        report = runCommandClient(options, transcript.is_open() ? &transcript : nullptr);
    } catch (...) {
        finishReplay();
        throw;
    }
    finishReplay();
    if (!controlError.empty()) throw StandInError(controlError);
    if (!replayError.empty()) throw StandInError(replayError);
    out << fmt::format("command link {}: {} connection(s), {} program run(s) ended with \"exit\", {} drop(s), {} "
                       "position and {} time lines\n",
                       report.stopped ? "stopped" : "closed with \"exit\"", report.connections, report.sessions,
                       report.drops, report.areaLines, report.timeLines);
    if (replayed) printReport(*replayed, out);
    return 0;
}

int busyCommand(Arguments& args, std::ostream& out) {
    BusyOptions options;
    std::string standsPath, outPath;
    while (!args.done()) {
        const std::string& option = args.list[args.at++];
        if (option == "--stands") standsPath = args.next(option);
        else if (option == "--out") outPath = args.next(option);
        else if (option == "--aircraft") options.aircraft = args.number<int>(option);
        else if (option == "--seconds") options.seconds = args.number<double>(option);
        else if (option == "--seed") options.seed = args.number<std::uint32_t>(option);
        else throw UsageError(fmt::format("unknown option '{}'", option));
    }
    if (standsPath.empty() || outPath.empty()) throw UsageError("busy needs --stands and --out");
    options.stands = loadStands(standsPath);
    const Scenario scenario = busyScenario(options);
    std::ofstream file(outPath, std::ios::binary);
    file << scenarioText(scenario);
    if (!file.flush()) throw StandInError(fmt::format("cannot write {}", outPath));
    const BusyMix mix = busyMix(options.aircraft);
    out << fmt::format("{} tracks for {} aircraft in range ({} overflights, {} arrivals, {} departures, {} ground "
                       "movements at once) over {} s written to {}\n",
                       scenario.tracks.size(), options.aircraft, mix.overflights, mix.arrivals, mix.departures,
                       mix.groundMoves, options.seconds, outPath);
    return 0;
}

}  // namespace

int runMain(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    Arguments args{arguments};
    try {
        if (args.done()) throw UsageError("no command");
        const std::string& command = args.list[args.at++];
        if (command == "generate") return generateCommand(args, out);
        if (command == "replay") return replayCommand(args, out);
        if (command == "command") return commandCommand(args, out);
        if (command == "busy") return busyCommand(args, out);
        throw UsageError(fmt::format("unknown command '{}'", command));
    } catch (const UsageError& e) {
        err << "realtraffic: " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        err << "realtraffic: FAILED: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace realtraffic
