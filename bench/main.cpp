// The benchmark of the file and directory lists, and of start-up. It makes its own test
// folders in a temporary directory, then lists them with the raw read (readdir alone), the
// floor (what a single-threaded program does at the least: read, filter on raw bytes, sort by
// precomputed keys), with Quervelle's lists and with Qt's own ways of showing a folder, each
// contender in a child process of its own, warm cache, median of several runs. Then it starts
// the program in some of those folders, alternating with an empty Qt window, on a private X
// server, and reads a folder on a slowed medium (slowread.cpp) to see how long the window's
// thread goes without processing events meanwhile. It prints its tables and whether each goal
// holds. The exit code is 0 whatever the figures; it is non-zero only when the benchmark could not
// run.
//
//   quervelle_bench [--sizes 10000,100000,1000000] [--program path/to/quervelle]
//
// Without --program it starts the quervelle built beside it.

#include "fixtures.h"
#include "measure.h"
#include "startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

bool stopRequested() {
    return g_stop != 0;
}

void catchSignals() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaction(signal, &action, nullptr);
}

struct Interrupted {};

// The one-minute load average: other work on the machine shows in the figures.
QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readLine()).section(u' ', 0, 0);
}

void say(const QString &text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}

std::string bytes(const QString &path) {
    return QFile::encodeName(path).toStdString();
}

// Removes the fixtures on every way out; QTemporaryDir removes whatever is left.
class Fixtures {
public:
    Fixtures() : m_root(QDir::tempPath() + QStringLiteral("/quervelle-bench-XXXXXX")) {
        if (!m_root.isValid())
            throw std::runtime_error("cannot create a temporary folder");
        m_empty = path(QStringLiteral("empty"));
        if (!QDir().mkdir(m_empty))
            throw std::runtime_error("cannot create " + bytes(m_empty));
    }
    ~Fixtures() {
        for (const QString &folder : m_made)
            bench::removeFixture(bytes(folder));
    }
    Fixtures(const Fixtures &) = delete;
    Fixtures &operator=(const Fixtures &) = delete;

    QString emptyFolder() const { return m_empty; }

    QString files(long long count) {
        return make(QStringLiteral("files-%1").arg(count), [count](const std::string &p) {
            return bench::makeFileFolder(p, std::size_t(count), stopRequested);
        });
    }
    QString folders(long long count) {
        return make(QStringLiteral("folders-%1").arg(count), [count](const std::string &p) {
            return bench::makeFolderOfFolders(p, std::size_t(count), stopRequested);
        });
    }

private:
    QString path(const QString &name) const { return m_root.path() + u'/' + name; }

    template <typename Maker> QString make(const QString &name, Maker maker) {
        const QString folder = path(name);
        if (m_made.contains(folder))
            return folder;
        say(QStringLiteral("creating %1").arg(folder));
        m_made << folder;
        if (!maker(bytes(folder)))
            throw Interrupted{};
        return folder;
    }

    QTemporaryDir m_root;
    QString m_empty;
    QStringList m_made;
};

double medianOf(std::vector<double> times) {
    if (times.empty())
        return 0;
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

struct Figure {
    bool ok = false;
    QString error;
    bench::Result result;

    double median() const { return medianOf(result.milliseconds); }
    double bytesPerEntry() const {
        return result.entries > 0 ? double(result.heapRetained) / double(result.entries) : 0;
    }
};

Figure runChild(const bench::Request &request) {
    say(QStringLiteral("  %1 on %2: %3 + %4 runs")
            .arg(bench::contenderKey(request.contender), QDir(request.folder).dirName())
            .arg(request.warmups)
            .arg(request.runs));
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("--measure")} + bench::requestArguments(request));
    Figure figure;
    if (!child.waitForStarted()) {
        figure.error = QStringLiteral("could not start");
        return figure;
    }
    while (!child.waitForFinished(100)) {
        if (stopRequested()) {
            child.kill();
            child.waitForFinished();
            throw Interrupted{};
        }
    }
    if (stopRequested()) // a Ctrl-C reaches the child too
        throw Interrupted{};
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        figure.error = QStringLiteral("failed");
        return figure;
    }
    for (const QString &line : output.split(u'\n'))
        if (bench::resultFromLine(line, &figure.result))
            figure.ok = true;
    if (!figure.ok)
        figure.error = QStringLiteral("no result");
    return figure;
}

QString cell(const Figure &figure, double value, int precision = 1) {
    return figure.ok ? QString::number(value, 'f', precision) : QStringLiteral("error");
}

QString ratio(const Figure &numerator, const Figure &denominator) {
    if (!numerator.ok || !denominator.ok || denominator.median() <= 0)
        return QStringLiteral("-");
    return QString::number(numerator.median() / denominator.median(), 'f', 2);
}

QString megabytes(const Figure &figure) {
    return figure.ok ? QString::number(double(figure.result.peakRssKb) / 1024, 'f', 0)
                     : QStringLiteral("-");
}

struct Row {
    QString label;
    long long n = 0;
    Figure raw, floor, quervelle, fsModel, listWidget;
    bool hasPeers = false;
    bool heapShown = true; // false where the run starts from a full list, not an empty one
};

void printTable(const std::vector<Row> &rows) {
    const char *format = "%-9s %8s %8s %9s %9s %10s %5s %5s %10s %7s %10s %7s %19s %19s\n";
    std::printf(format, "case", "N", "listed", "R(N) ms", "F(N) ms", "Quervelle", "Q/R", "Q/F",
                "QFSModel", "FSM/Q", "QListWidg", "QLW/Q", "heap B/entry F/Q/M/W",
                "peak RSS MB F/Q/M/W");
    for (const Row &row : rows) {
        const auto peer = [&](const Figure &figure) {
            return row.hasPeers ? cell(figure, figure.median()) : QStringLiteral("-");
        };
        const auto peerRatio = [&](const Figure &figure) {
            return row.hasPeers ? ratio(figure, row.quervelle) : QStringLiteral("-");
        };
        const auto perEntry = [&](const Figure &figure, bool shown) {
            return shown && figure.ok && figure.result.heapKnown
                       ? QString::number(figure.bytesPerEntry(), 'f', 0)
                       : QStringLiteral("-");
        };
        const QString heap =
            QStringList{perEntry(row.floor, true), perEntry(row.quervelle, row.heapShown),
                        perEntry(row.fsModel, row.hasPeers), perEntry(row.listWidget, row.hasPeers)}
                .join(u'/');
        const QString rss =
            QStringList{megabytes(row.floor), megabytes(row.quervelle),
                        row.hasPeers ? megabytes(row.fsModel) : QStringLiteral("-"),
                        row.hasPeers ? megabytes(row.listWidget) : QStringLiteral("-")}
                .join(u'/');
        const QString listed =
            row.quervelle.ok ? QString::number(row.quervelle.result.entries) : QStringLiteral("-");
        std::printf(format, qPrintable(row.label), qPrintable(QString::number(row.n)),
                    qPrintable(listed), qPrintable(cell(row.raw, row.raw.median())),
                    qPrintable(cell(row.floor, row.floor.median())),
                    qPrintable(cell(row.quervelle, row.quervelle.median())),
                    qPrintable(ratio(row.quervelle, row.raw)),
                    qPrintable(ratio(row.quervelle, row.floor)), qPrintable(peer(row.fsModel)),
                    qPrintable(peerRatio(row.fsModel)), qPrintable(peer(row.listWidget)),
                    qPrintable(peerRatio(row.listWidget)), qPrintable(heap), qPrintable(rss));
    }
}

// A goal holds only where Quervelle listed exactly the floor's entries: a list that drops
// names is not fast.
void goal(const Row &row, bool holds, const QString &text) {
    const bool listedAll = row.quervelle.result.entries == row.floor.result.entries;
    std::printf("%s %s%s\n", holds && listedAll ? "PASS" : "FAIL", qPrintable(text),
                listedAll ? "" : " (not every entry listed)");
}

QString ms(double value) {
    return QString::number(value, 'f', 1) + QStringLiteral(" ms");
}

// Quervelle must list exactly the floor's entries (a list that drops names is not faster);
// a peer that lists fewer is noted (Qt's QDir skips names that are not valid UTF-8).
void checkCounts(const Row &row, const Figure &figure, const char *name, bool mustMatch) {
    if (row.floor.ok && figure.ok && figure.result.entries != row.floor.result.entries)
        std::printf("%s %s listed %lld entries in %s %lld, the floor %lld\n",
                    mustMatch ? "WARNING" : "NOTE", name, figure.result.entries,
                    qPrintable(row.label), row.n, row.floor.result.entries);
}

// Start-up in one folder: the program and the empty window, alternating.
struct StartupRow {
    long long n = 0; // files in the start folder
    std::vector<double> quervelle, emptyWindow;
    QString error;
    bool ok() const { return error.isEmpty() && !quervelle.empty() && !emptyWindow.empty(); }
    double ratio() const { return medianOf(quervelle) / medianOf(emptyWindow); }
};

constexpr int StartupRuns = 7;

std::vector<StartupRow> measureStartup(const QString &program,
                                       const std::vector<std::pair<long long, QString>> &folders,
                                       QSize *windowSize) {
    std::vector<StartupRow> rows;
    std::unique_ptr<bench::StartupClock> clock;
    QString failure;
    try {
        clock = std::make_unique<bench::StartupClock>();
    } catch (const std::runtime_error &error) {
        failure = QString::fromLocal8Bit(error.what());
    }
    const QString emptyWindow = QStringLiteral(QUERVELLE_EMPTY_WINDOW);
    for (const auto &[n, folder] : folders) {
        StartupRow row{n, {}, {}, failure};
        say(QStringLiteral("  start-up in %1: 1 + %2 runs each, alternating")
                .arg(QDir(folder).dirName())
                .arg(StartupRuns));
        try {
            for (int run = -1; clock && run < StartupRuns; ++run) {
                const bench::StartupClock::Start start = clock->measure(program, {}, folder);
                if (windowSize->isEmpty())
                    *windowSize = start.windowSize;
                const QString size =
                    QStringLiteral("%1x%2").arg(windowSize->width()).arg(windowSize->height());
                const double empty = clock->measure(emptyWindow, {size}, folder).milliseconds;
                if (run >= 0) { // the first run of each only warms the caches
                    row.quervelle.push_back(start.milliseconds);
                    row.emptyWindow.push_back(empty);
                }
            }
        } catch (const std::runtime_error &error) {
            if (stopRequested())
                throw Interrupted{};
            row.error = QString::fromLocal8Bit(error.what());
        }
        if (stopRequested())
            throw Interrupted{};
        rows.push_back(row);
    }
    return rows;
}

void printStartup(const QString &program, const std::vector<StartupRow> &rows, QSize size) {
    std::printf("\nStart-up of %s: from starting it until its window is mapped and painted.\n"
                "Measured on a private Xvfb (no window manager): the first window the program "
                "maps, then the first\ndrawing on the screen after that map, seen through the X "
                "DAMAGE extension. Median of %d runs,\nalternating with an empty Qt window of "
                "the same size (%dx%d), after one unmeasured run of each;\nN = files in the "
                "start folder.\n",
                qPrintable(program), StartupRuns, size.width(), size.height());
    const char *format = "%-9s %8s %13s %16s %7s\n";
    std::printf(format, "case", "N", "Quervelle ms", "empty window ms", "Q/E");
    for (const StartupRow &row : rows) {
        const auto cell = [&row](const std::vector<double> &times) {
            return row.ok() ? QString::number(medianOf(times), 'f', 1) : QStringLiteral("error");
        };
        std::printf(
            format, "startup", qPrintable(QString::number(row.n)), qPrintable(cell(row.quervelle)),
            qPrintable(cell(row.emptyWindow)),
            qPrintable(row.ok() ? QString::number(row.ratio(), 'f', 2) : QStringLiteral("-")));
    }
}

void startupGoal(const std::vector<StartupRow> &startup) {
    for (const StartupRow &row : startup) {
        if (row.n != 100'000 || !row.ok())
            continue;
        std::printf("%s start-up <= 3.0 x an empty Qt window at N = 100000: %s against %s\n",
                    row.ratio() <= 3.0 ? "PASS" : "FAIL", qPrintable(ms(medianOf(row.quervelle))),
                    qPrintable(ms(3.0 * medianOf(row.emptyWindow))));
    }
}

void startupRatio(const std::vector<StartupRow> &startup) {
    for (const StartupRow &row : startup) {
        if (row.n == 100'000 && row.ok())
            std::printf("startup/emptywindow at 100000: %.2f\n", row.ratio());
    }
}

// A folder read on a slow medium, in a child process that slows its system reads.
struct SlowRead {
    bool ok = false;
    double readMs = 0, longestGapMs = 0;
    long long listed = 0, systemReads = 0;
};

constexpr long long SlowReadFiles = 20'000;
constexpr int SlowReadDelayMs = 50;

SlowRead measureSlowRead(const QString &folder) {
    say(QStringLiteral("  slowed read of %1: %2 ms per system read")
            .arg(QDir(folder).dirName())
            .arg(SlowReadDelayMs));
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(QUERVELLE_SLOW_READ), {folder, QString::number(SlowReadDelayMs)});
    SlowRead result;
    if (!child.waitForStarted())
        return result;
    while (!child.waitForFinished(100)) {
        if (stopRequested()) {
            child.kill();
            child.waitForFinished();
            throw Interrupted{};
        }
    }
    const QStringList words =
        QString::fromLocal8Bit(child.readAllStandardOutput()).simplified().split(u' ');
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 || words.size() != 5 ||
        words[0] != QLatin1String("slowread"))
        return result;
    result.readMs = words[1].toDouble();
    result.longestGapMs = words[2].toDouble();
    result.listed = words[3].toLongLong();
    result.systemReads = words[4].toLongLong();
    result.ok = true;
    return result;
}

void printSlowRead(const SlowRead &slow) {
    std::printf("\nA folder of %lld files on a slow medium: each system read of its entries "
                "(getdents64, 32 KiB)\nslowed by %d ms; the file list given the folder, the "
                "window's thread asked for an event every ms.\n",
                SlowReadFiles, SlowReadDelayMs);
    if (!slow.ok) {
        std::printf("ERROR the slowed read could not be measured\n");
        return;
    }
    std::printf("%-9s %8s %8s %13s %9s %24s\n", "case", "N", "listed", "system reads", "read ms",
                "longest without events");
    std::printf("%-9s %8lld %8lld %13lld %9.1f %21.1f ms\n", "slowread", SlowReadFiles, slow.listed,
                slow.systemReads, slow.readMs, slow.longestGapMs);
}

void slowReadGoal(const SlowRead &slow) {
    if (!slow.ok)
        return;
    const bool listedAll = slow.listed == SlowReadFiles;
    std::printf("%s window's thread without events <= 100 ms while %lld names are read at %d ms "
                "per system read: %s%s\n",
                slow.longestGapMs <= 100 && listedAll ? "PASS" : "FAIL", SlowReadFiles,
                SlowReadDelayMs, qPrintable(ms(slow.longestGapMs)),
                listedAll ? "" : " (not every entry listed)");
}

// Start-up only, for work on it: the start-up rows of the full run and their goal.
int runStartup(const QList<long long> &sizes, const QString &program) {
    catchSignals();
    const QString loadAtStart = loadAverage();
    Fixtures fixtures;
    std::vector<std::pair<long long, QString>> startFolders{{0, fixtures.emptyFolder()}};
    for (const long long n : sizes)
        startFolders.emplace_back(n, fixtures.files(n));
    QSize windowSize;
    const std::vector<StartupRow> startup = measureStartup(program, startFolders, &windowSize);
    printStartup(program, startup, windowSize);
    std::printf("%d cores; load average %s at the start, %s at the end\n\n",
                QThread::idealThreadCount(), qPrintable(loadAtStart), qPrintable(loadAverage()));
    startupGoal(startup);
    startupRatio(startup);
    std::fflush(stdout);
    const bool allMeasured =
        std::all_of(startup.begin(), startup.end(), [](const StartupRow &row) { return row.ok(); });
    return allMeasured ? 0 : 2;
}

int runBenchmark(const QList<long long> &sizes, const QString &program) {
    catchSignals();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString loadAtStart = loadAverage();
    Fixtures fixtures;
    const QString empty = fixtures.emptyFolder();
    const auto request = [&](bench::Contender contender, const QString &folder, int warmups,
                             int runs) {
        return runChild(bench::Request{contender, folder, empty, warmups, runs});
    };

    std::vector<Row> rows;
    std::optional<Row> pattern, folders;
    for (const long long n : sizes) {
        const QString folder = fixtures.files(n);
        const bool huge = n >= 1'000'000;
        const int runs = huge ? 3 : n >= 100'000 ? 5 : 7;
        Row row{QStringLiteral("files"), n, {}, {}, {}, {}, {}, true};
        row.raw = request(bench::Contender::RawFiles, folder, 1, runs);
        row.floor = request(bench::Contender::FloorFiles, folder, 1, runs);
        row.quervelle = request(bench::Contender::QuervelleFiles, folder, 1, runs);
        // The peers take seconds to minutes on the largest folder: once there, the cache
        // already warm from the runs above.
        row.fsModel =
            request(bench::Contender::FileSystemModel, folder, huge ? 0 : 1, huge ? 1 : 3);
        row.listWidget = request(bench::Contender::ListWidget, folder, huge ? 0 : 1, huge ? 1 : 3);
        rows.push_back(row);
        if (n == 100'000) {
            pattern =
                Row{QStringLiteral("pattern"), n, row.raw, row.floor, {}, {}, {}, false, false};
            pattern->quervelle = request(bench::Contender::QuervellePattern, folder, 1, runs);
        }
    }
    {
        const long long n = 100'000;
        const QString folder = fixtures.folders(n);
        folders = Row{QStringLiteral("folders"), n, {}, {}, {}, {}, {}, false};
        folders->raw = request(bench::Contender::RawFolders, folder, 1, 5);
        folders->floor = request(bench::Contender::FloorFolders, folder, 1, 5);
        folders->quervelle = request(bench::Contender::QuervelleFolders, folder, 1, 5);
    }
    // Start-up: in the empty folder and in the file folders of 10,000 and 100,000 files.
    std::vector<std::pair<long long, QString>> startFolders{{0, empty}};
    for (const long long n : sizes)
        if (n == 10'000 || n == 100'000)
            startFolders.emplace_back(n, fixtures.files(n));
    QSize windowSize;
    const std::vector<StartupRow> startup = measureStartup(program, startFolders, &windowSize);
    const SlowRead slowRead = measureSlowRead(fixtures.files(SlowReadFiles));

    std::vector<Row> table = rows;
    if (pattern)
        table.push_back(*pattern);
    table.push_back(*folders);

    std::printf("\nListing a folder, warm cache, median milliseconds; Q = Quervelle, "
                "M = QFileSystemModel + QListView, W = QDir::entryList + QListWidget;\n"
                "R(N) = the raw read (readdir and the type it gives, every entry, no pattern, "
                "no sort, one thread)\n");
    printTable(table);
    printStartup(program, startup, windowSize);
    printSlowRead(slowRead);
    std::printf("%d cores; load average %s at the start, %s at the end\n\n",
                QThread::idealThreadCount(), qPrintable(loadAtStart), qPrintable(loadAverage()));
    for (const Row &row : rows) {
        checkCounts(row, row.quervelle, "Quervelle", true);
        checkCounts(row, row.fsModel, "QFileSystemModel", false);
        checkCounts(row, row.listWidget, "QListWidget", false);
    }
    if (pattern)
        checkCounts(*pattern, pattern->quervelle, "Quervelle", true);
    checkCounts(*folders, folders->quervelle, "Quervelle", true);

    bool allMeasured = true;
    for (const Row &row : table)
        for (const Figure *figure : {&row.raw, &row.floor, &row.quervelle})
            allMeasured = allMeasured && figure->ok;
    for (const Row &row : rows) {
        if (!row.floor.ok || !row.quervelle.ok)
            continue;
        const double limit = 1.5 * row.floor.median() + 30;
        goal(row, row.quervelle.median() <= limit,
             QStringLiteral("Quervelle <= 1.5 x F(N) + 30 ms at N = %1: %2 against %3")
                 .arg(row.n)
                 .arg(ms(row.quervelle.median()), ms(limit)));
    }
    for (const Row &row : rows) {
        if (row.n != 1'000'000 || !row.raw.ok || !row.quervelle.ok)
            continue;
        const double limit = 2.0 * row.raw.median();
        goal(row, row.quervelle.median() <= limit,
             QStringLiteral("Quervelle <= 2.0 x R(N) at N = 1000000: %1 against %2")
                 .arg(ms(row.quervelle.median()), ms(limit)));
    }
    for (const Row &row : rows) {
        if (row.n != 100'000 || !row.fsModel.ok || !row.quervelle.ok)
            continue;
        const double r = row.fsModel.median() / row.quervelle.median();
        goal(row, r >= 30,
             QStringLiteral("QFileSystemModel / Quervelle >= 30 at N = 100000: %1")
                 .arg(r, 0, 'f', 1));
    }
    if (pattern && pattern->quervelle.ok && pattern->floor.ok) {
        const double limit = 1.5 * pattern->floor.median();
        goal(*pattern, pattern->quervelle.median() <= limit,
             QStringLiteral("re-applying a pattern <= 1.5 x F(100000): %1 against %2")
                 .arg(ms(pattern->quervelle.median()), ms(limit)));
    }
    for (const Row &row : rows) {
        if (!row.quervelle.ok)
            continue;
        if (!row.quervelle.result.heapKnown) {
            std::printf("NOTE heap per entry not measured at N = %lld: malloc gives no count\n",
                        row.n);
            continue;
        }
        goal(row, row.quervelle.bytesPerEntry() <= 64,
             QStringLiteral("heap retained <= 64 bytes per listed entry at N = %1: %2 bytes")
                 .arg(row.n)
                 .arg(row.quervelle.bytesPerEntry(), 0, 'f', 1));
    }
    for (const StartupRow &row : startup)
        allMeasured = allMeasured && row.ok();
    allMeasured = allMeasured && slowRead.ok;
    startupGoal(startup);
    slowReadGoal(slowRead);
    if (folders->floor.ok && folders->quervelle.ok) {
        const double limit = 1.5 * folders->floor.median();
        goal(*folders, folders->quervelle.median() <= limit,
             QStringLiteral("directory list of 100000 sub-folders <= 1.5 x its floor: %1 "
                            "against %2")
                 .arg(ms(folders->quervelle.median()), ms(limit)));
    }
    for (const Row &row : table) {
        for (const auto &[figure, name] :
             {std::pair{&row.raw, "raw read"}, std::pair{&row.floor, "floor"},
              std::pair{&row.quervelle, "Quervelle"}, std::pair{&row.fsModel, "QFileSystemModel"},
              std::pair{&row.listWidget, "QListWidget"}}) {
            if (!figure->ok && (row.hasPeers || figure == &row.raw || figure == &row.floor ||
                                figure == &row.quervelle))
                std::printf("ERROR %s on %s %lld: %s\n", name, qPrintable(row.label), row.n,
                            qPrintable(figure->error));
        }
    }
    for (const StartupRow &row : startup) {
        if (!row.ok())
            std::printf("ERROR start-up in a folder of %lld files: %s\n", row.n,
                        qPrintable(row.error.isEmpty() ? QStringLiteral("no result") : row.error));
    }
    for (const Row &row : rows) {
        if (row.n == 100'000)
            std::printf("quervelle/floor at 100000: %s\n",
                        qPrintable(ratio(row.quervelle, row.floor)));
        if (row.n == 1'000'000)
            std::printf("quervelle/raw at 1000000: %s\n",
                        qPrintable(ratio(row.quervelle, row.raw)));
    }
    startupRatio(startup);
    std::fflush(stdout);
    return allMeasured ? 0 : 2;
}

int runMeasurement(int argc, char **argv) {
    QApplication app(argc, argv);
    bench::Request request;
    if (!bench::requestFromArguments(app.arguments().mid(2), &request)) {
        say(QStringLiteral("bad measurement request"));
        return 2;
    }
    try {
        const bench::Result result = bench::measure(request);
        std::printf("%s\n", qPrintable(bench::resultLine(result)));
        return 0;
    } catch (const std::exception &error) {
        say(QStringLiteral("%1: %2").arg(bench::contenderKey(request.contender),
                                         QString::fromLocal8Bit(error.what())));
        return 2;
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc > 1 && std::string(argv[1]) == "--measure")
        return runMeasurement(argc, argv);

    QCoreApplication app(argc, argv);
    QList<long long> sizes{10'000, 100'000, 1'000'000};
    QString program = QStringLiteral(QUERVELLE_PROGRAM);
    const QStringList arguments = app.arguments().mid(1);
    const QString usage = QStringLiteral("usage: quervelle_bench [--sizes N,N,...] [--program "
                                         "path/to/quervelle] [--startup-only]");
    bool startupOnly = false;
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--startup-only")) {
            startupOnly = true;
            --i;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            say(usage);
            return 2;
        }
        if (arguments[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString &size : arguments[i + 1].split(u',')) {
                bool ok = false;
                sizes << size.toLongLong(&ok);
                if (!ok || sizes.back() <= 0) {
                    say(usage);
                    return 2;
                }
            }
        } else if (arguments[i] == QLatin1String("--program")) {
            program = QFileInfo(arguments[i + 1]).absoluteFilePath();
        } else {
            say(usage);
            return 2;
        }
    }
    try {
        return startupOnly ? runStartup(sizes, program) : runBenchmark(sizes, program);
    } catch (const Interrupted &) {
        say(QStringLiteral("interrupted; the test folders are removed"));
        return 130;
    } catch (const std::exception &error) {
        say(QStringLiteral("the benchmark could not run: %1").arg(error.what()));
        return 2;
    }
}
