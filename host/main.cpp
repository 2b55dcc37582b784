// quorvel-host: loads the module, plays the zone around it, and runs
// scenario files or typed sessions. The logic lives in lib/; this file reads
// the command line and wires the pieces together.
#include "lib/generator.h"
#include "lib/module_loader.h"
#include "lib/runner.h"
#include "lib/script.h"
#include "lib/session.h"
#include "lib/workdir.h"
#include "line_input.h"
#include "quorvel_version.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace fs = std::filesystem;
using namespace quorvel::host;

namespace {

#if defined(_WIN32)
constexpr const char* moduleFileName = "Quorvel.dll";
#elif defined(__APPLE__)
constexpr const char* moduleFileName = "libquorvel.dylib";
#else
constexpr const char* moduleFileName = "libquorvel.so";
#endif

fs::path executableFolder(const char* argv0) {
#if defined(_WIN32)
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length != 0 && length < MAX_PATH) {
        return fs::path(std::string(buffer, length)).parent_path();
    }
#else
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return self.parent_path();
    }
#endif
    return fs::absolute(argv0).parent_path();
}

// The folder a temporary working directory starts from: examples/arena
// beside the program, as a package lays it out, else the one of the sources
// the program was built from.
fs::path exampleArena(const fs::path& programFolder) {
    fs::path packaged = programFolder / "examples" / "arena";
    std::error_code ec;
    if (fs::is_directory(packaged, ec)) {
        return packaged;
    }
    return QUORVEL_HOST_EXAMPLE_ARENA;
}

struct Options {
    std::string module;
    std::string scenario;
    std::string dir;
    std::string seed;
    std::string record;
    bool interactive = false;
    bool quiet = false;
    bool keepGoing = false;
    bool cleanup = false;
    bool generate = false;
    GenerateOptions generated;
    std::string iniExtraFile;
};

// A generated session: no transcript, only the closing report.
int playGenerated(Session& session, const GenerateOptions& options) {
    try {
        GenerateResult result = generateSession(session, options);
        std::cout << describeResult(options, result, peakMemory());
        return Passed;
    } catch (const ScriptError& e) {
        std::cerr << "quorvel-host: the generated session stopped: " << e.what() << '\n';
        return BadScenario;
    }
}

int interact(ScriptRunner& runner, std::ostream& out) {
    out << "Type actions of the session language; help lists them, quit ends.\n";
    LineInput input;
    while (auto line = input.read("quorvel> ")) {
        if (!runner.runTyped(*line)) {
            break;
        }
    }
    return runner.failures() > 0 ? ExpectationFailed : Passed;
}

void addOptions(CLI::App& app, Options& opt) {
    app.add_option("scenario", opt.scenario, "scenario file (.scn) to play");
    app.add_option("-m,--module", opt.module,
                   std::string("module to load (default: ") + moduleFileName +
                       " beside quorvel-host)");
    app.add_option("-d,--dir", opt.dir,
                   "working directory, used as it is (default: a fresh temporary folder seeded "
                   "from the example arena)");
    app.add_option("--seed", opt.seed,
                   "copy this folder's files into the working directory first (\"none\" for no "
                   "files; default for the temporary folder: examples/arena beside quorvel-host, "
                   "else " QUORVEL_HOST_EXAMPLE_ARENA ")");
    app.add_option("-r,--record", opt.record,
                   "write the session back to this file as a scenario whose expectations are the "
                   "lines that came");
    app.add_flag("-i,--interactive", opt.interactive, "prompt for actions after the scenario");
    app.add_flag("-q,--quiet", opt.quiet, "no transcript, only failures and errors");
    app.add_flag("-k,--keep-going", opt.keepGoing, "go on after a failed expectation");
    app.add_flag("--cleanup", opt.cleanup,
                 "remove the temporary working directory after a run that passed");
    CLI::Option* generate =
        app.add_flag("--generate", opt.generate,
                     "play a generated long session (players entering, moving, killing and typing "
                     "commands, every service on) and report events per second and peak memory")
            ->excludes("scenario")
            ->excludes("--interactive")
            ->excludes("--record");
    app.add_option("--players", opt.generated.players, "players of the generated session")
        ->check(CLI::Range(1, 1000))
        ->needs(generate)
        ->capture_default_str();
    app.add_option("--seconds", opt.generated.seconds, "seconds (ticks) of the generated session")
        ->check(CLI::Range(std::int64_t{1}, std::int64_t{1000000}))
        ->needs(generate)
        ->capture_default_str();
    app.add_option("--moves", opt.generated.movesPerSecond,
                   "position reports a second of each generated player")
        ->check(CLI::Range(0, 100))
        ->needs(generate)
        ->capture_default_str();
    app.add_option("--ini-extra", opt.iniExtraFile,
                   "a file whose text is added to the generated session's quorvel.ini (its "
                   "[Database] section, for one)")
        ->check(CLI::ExistingFile)
        // Read after the working directory is entered: named from here.
        ->transform([](std::string path) { return fs::absolute(path).string(); })
        ->needs(generate);
    app.add_option("--generate-seed", opt.generated.seed,
                   "the random seed of the generated session (the same seed plays the same "
                   "session)")
        ->needs(generate)
        ->capture_default_str();
}

void removeFolder(const fs::path& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
}

struct WorkFolder {
    fs::path path;
    bool made = false; // a fresh temporary folder
};

// The working directory, created or made and seeded; nothing when it cannot
// be prepared (the message is written).
std::optional<WorkFolder> prepareWorkFolder(const Options& opt, const fs::path& arena) {
    WorkFolder work;
    try {
        fs::path seed;
        if (opt.dir.empty()) {
            work.path = makeFreshFolder();
            work.made = true;
            seed = opt.seed.empty() ? arena : fs::path(opt.seed);
        } else {
            work.path = fs::absolute(opt.dir);
            seed = opt.seed;
            if (fs::create_directories(work.path) && seed.empty()) {
                std::cerr << "quorvel-host: " << work.path.string()
                          << " is a new folder: the session starts with no files (--seed DIR "
                             "copies a folder's files in)\n";
            }
        }
        if (opt.seed.empty() && work.made && !fs::is_directory(seed)) {
            // A build moved away from its sources: start with no files.
            std::cerr << "quorvel-host: no example arena at " << seed.string()
                      << ", the working directory starts empty\n";
        } else if (!seed.empty() && seed != "none") {
            seedFolder(fs::absolute(seed), work.path);
        }
    } catch (const fs::filesystem_error& e) {
        std::cerr << "quorvel-host: cannot prepare the working directory: " << e.what() << '\n';
        if (work.made) {
            removeFolder(work.path);
        }
        return std::nullopt;
    }
    return work;
}

// The file of --record, with its first line written; false when it cannot
// be written (the message is written).
bool openRecord(const Options& opt, std::ofstream& recordFile) {
    recordFile.open(fs::absolute(opt.record), std::ios::trunc);
    if (!recordFile) {
        std::cerr << "quorvel-host: cannot write " << opt.record << '\n';
        return false;
    }
    recordFile << "# recorded by quorvel-host"
               << (opt.scenario.empty() ? std::string() : " from " + opt.scenario) << '\n';
    return true;
}

// Reports the end of a scenario read from `name`.
void reportScenario(const std::string& name, int status, std::ostream& notes) {
    if (status == Passed) {
        notes << name << ": passed\n";
    } else {
        std::cerr << name << ": " << (status == BadScenario ? "stopped at a bad line" : "FAILED")
                  << '\n';
    }
}

// The generated session, or the scenario and then the prompt or standard
// input, as the options say.
int play(const Options& opt, Session& session, ScriptRunner& runner, std::istream& scenarioFile,
         std::ostream& notes) {
    int status = Passed;
    if (opt.generate) {
        GenerateOptions generated = opt.generated;
        if (!opt.iniExtraFile.empty()) {
            std::ifstream extra(opt.iniExtraFile, std::ios::binary);
            generated.extraIni.assign(std::istreambuf_iterator<char>(extra),
                                      std::istreambuf_iterator<char>());
        }
        status = playGenerated(session, generated);
    } else if (!opt.scenario.empty()) {
        status = runner.runScript(scenarioFile, opt.scenario);
        reportScenario(opt.scenario, status, notes);
    }
    bool typed = opt.interactive || (opt.scenario.empty() && !opt.generate && inputIsTerminal());
    if (typed && !session.quitRequested()) {
        int typedStatus = interact(runner, std::cout);
        status = status == Passed ? typedStatus : status;
    } else if (opt.scenario.empty() && !opt.generate) {
        status = runner.runScript(std::cin, "<stdin>");
        if (status != Passed) {
            reportScenario("<stdin>", status, notes);
        }
    }
    runner.finishRecording();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options opt;
    CLI::App app{"quorvel-host: a substitute bot host and zone that loads the Quorvel module and "
                 "plays scripted or typed arena sessions.\nWithout a scenario it reads actions "
                 "from the prompt (or from standard input when that is not a terminal)."};
    app.set_version_flag("--version", "quorvel-host " QUORVEL_VERSION_TEXT,
                         "the version of this quorvel-host");
    addOptions(app, opt);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            return app.exit(e); // --help
        }
        // What was wrong, then how the program is called.
        std::cerr << "quorvel-host: " << e.what() << "\n\n" << app.help();
        return BadCommandLine;
    }
    if (opt.generate) {
        opt.quiet = true;
    }

    std::ostream* transcript = opt.quiet ? nullptr : &std::cout;
    std::ostream& notes = opt.quiet ? std::cerr : std::cout;

    // Every path given is taken from where the program was started, before
    // it moves into the working directory.
    fs::path programFolder = executableFolder(argv[0]);
    fs::path modulePath =
        opt.module.empty() ? programFolder / moduleFileName : fs::absolute(opt.module);
    std::ifstream scenarioFile;
    if (!opt.scenario.empty()) {
        fs::path scenarioPath = fs::absolute(opt.scenario);
        scenarioFile.open(scenarioPath);
        if (!scenarioFile) {
            std::cerr << "quorvel-host: cannot open scenario " << scenarioPath.string() << '\n';
            return BadScenario;
        }
    }
    std::optional<WorkFolder> work = prepareWorkFolder(opt, exampleArena(programFolder));
    if (!work) {
        return BadScenario;
    }
    std::ofstream recordFile;
    if (!opt.record.empty() && !openRecord(opt, recordFile)) {
        return BadScenario;
    }

    fs::path startFolder = fs::current_path();
    fs::current_path(work->path);
    notes << "working directory: " << work->path.string() << '\n';

    std::unique_ptr<LoadedModule> module;
    try {
        module = std::make_unique<LoadedModule>(modulePath.string());
    } catch (const ModuleLoadError& e) {
        std::cerr << "quorvel-host: " << e.what() << '\n';
        if (work->made) {
            // Nothing ran in it: it holds only the seeded files.
            fs::current_path(startFolder);
            removeFolder(work->path);
        }
        return ModuleNotLoaded;
    }
    notes << "module: " << modulePath.string() << '\n';

    int status = Passed;
    {
        Session session(module->talk(), transcript, work->path);
        ScriptRunner runner(session, transcript, std::cerr,
                            recordFile.is_open() ? &recordFile : nullptr);
        runner.setKeepGoing(opt.keepGoing);
        status = play(opt, session, runner, scenarioFile, notes);
        // The module goes first: nothing of it may outlive the records it
        // borrowed.
        module.reset();
    }

    if (opt.cleanup && work->made && status == Passed) {
        fs::current_path(startFolder);
        removeFolder(work->path);
    }
    return status;
}
