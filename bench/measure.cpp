#include "measure.h"

#include "platform/controls/dirlistbox.h"
#include "platform/controls/filelistbox.h"
#include "platform/controls/nameorder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemModel>
#include <QListView>
#include <QListWidget>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <string>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bench {

namespace {

constexpr struct {
    Contender contender;
    const char *key;
} ContenderKeys[] = {
    {Contender::RawFiles, "raw-files"},
    {Contender::RawFolders, "raw-folders"},
    {Contender::FloorFiles, "floor-files"},
    {Contender::FloorFolders, "floor-folders"},
    {Contender::QuervelleFiles, "quervelle-files"},
    {Contender::QuervelleFolders, "quervelle-folders"},
    {Contender::QuervellePattern, "quervelle-pattern"},
    {Contender::FileSystemModel, "qfilesystemmodel"},
    {Contender::ListWidget, "qlistwidget"},
};

// The heap in use, or -1 where malloc keeps no such count (a sanitizer's allocator reports 0).
long long heapInUse() {
    const struct mallinfo2 info = ::mallinfo2();
    if (info.arena == 0 && info.hblkhd == 0)
        return -1;
    return static_cast<long long>(info.uordblks + info.hblkhd);
}

long long peakRssKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string pathBytes(const QString &path) {
    return QFile::encodeName(path).toStdString();
}

// Case-insensitive (ASCII) wildcard match on raw bytes: '*' any run, '?' one byte.
bool wildcardMatch(std::string_view name, std::string_view pattern) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

class DirectoryReader {
public:
    explicit DirectoryReader(const QString &path) : m_dir(::opendir(pathBytes(path).c_str())) {
        if (!m_dir)
            throw std::runtime_error("cannot read " + pathBytes(path));
    }
    ~DirectoryReader() { ::closedir(m_dir); }
    DirectoryReader(const DirectoryReader &) = delete;
    DirectoryReader &operator=(const DirectoryReader &) = delete;

    const dirent *next() { return ::readdir(m_dir); }
    // The entry's type, asking the file system only when the directory does not tell it.
    unsigned char type(const dirent *entry) const {
        if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
            return entry->d_type;
        struct stat st {};
        if (::fstatat(::dirfd(m_dir), entry->d_name, &st, 0) != 0)
            return entry->d_type == DT_LNK ? DT_REG : DT_UNKNOWN; // a dangling link is a file
        return S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
    }

private:
    DIR *m_dir;
};

// The floor: names in one packed buffer, one sort key each from one reused collator (the lists'
// own order), and the order sorted by those keys, on one thread.
class Floor {
public:
    Floor(unsigned char wantedType, std::string pattern)
        : m_type(wantedType), m_pattern(std::move(pattern)) {}

    void clear() {
        m_names = {};
        m_offsets = {};
        m_keys = {};
        m_rows = {};
    }

    long long list(const QString &folder) {
        DirectoryReader reader(folder);
        m_offsets.push_back(0);
        while (const dirent *entry = reader.next()) {
            const std::string_view name(entry->d_name);
            if (name.front() == '.' || reader.type(entry) != m_type)
                continue;
            if (!m_pattern.empty() && !wildcardMatch(name, m_pattern))
                continue;
            m_names.append(name);
            m_offsets.push_back(static_cast<std::uint32_t>(m_names.size()));
        }
        const std::size_t count = m_offsets.size() - 1;
        m_keys.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            m_keys.push_back(m_order.sortKey(nameAt(i)));
        m_rows.resize(count);
        std::iota(m_rows.begin(), m_rows.end(), 0u);
        std::sort(m_rows.begin(), m_rows.end(), [this](std::uint32_t a, std::uint32_t b) {
            return quervelle::NameOrder::compareKeys(m_keys[a], nameAt(a), m_keys[b], nameAt(b)) <
                   0;
        });
        return static_cast<long long>(count);
    }

private:
    std::string_view nameAt(std::size_t i) const {
        return std::string_view(m_names).substr(m_offsets[i], m_offsets[i + 1] - m_offsets[i]);
    }

    unsigned char m_type;
    std::string m_pattern;
    quervelle::NameOrder m_order;
    std::string m_names;
    std::vector<std::uint32_t> m_offsets;
    std::vector<QCollatorSortKey> m_keys;
    std::vector<std::uint32_t> m_rows; // sorted
};

// Counts the paint events of a view's viewport, so that a run can prove it painted.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *viewport) { viewport->installEventFilter(this); }
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++m_count;
        return false;
    }

private:
    int m_count = 0;
};

// Lets pending layouts run, then paints the view at once.
void paintNow(QAbstractItemView &view) {
    PaintCounter counter(view.viewport());
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    if (counter.count() == 0)
        throw std::runtime_error("the view did not paint");
}

void showView(QWidget &view) {
    view.resize(480, 640);
    view.show();
    QCoreApplication::processEvents();
}

class Run {
public:
    virtual ~Run() = default;
    virtual void reset() = 0;    // unmeasured, before each run
    virtual long long run() = 0; // measured; what it lists stays alive until the next reset
};

class FloorRun final : public Run {
public:
    FloorRun(const Request &request, unsigned char type, std::string pattern)
        : m_folder(request.folder), m_floor(type, std::move(pattern)) {}
    void reset() override { m_floor.clear(); }
    long long run() override { return m_floor.list(m_folder); }

private:
    QString m_folder;
    Floor m_floor;
};

// The raw read: the directory's entries one by one and the type each gives, on one thread; the
// entries of the wanted type are counted, nothing else is done with them.
class RawRun final : public Run {
public:
    RawRun(const Request &request, unsigned char type) : m_folder(request.folder), m_type(type) {}
    void reset() override {}
    long long run() override {
        DIR *dir = ::opendir(pathBytes(m_folder).c_str());
        if (!dir)
            throw std::runtime_error("cannot read " + pathBytes(m_folder));
        long long count = 0;
        while (const dirent *entry = ::readdir(dir))
            count += entry->d_type == m_type && entry->d_name[0] != '.';
        ::closedir(dir);
        return count;
    }

private:
    QString m_folder;
    unsigned char m_type;
};

class QuervelleFilesRun final : public Run {
public:
    QuervelleFilesRun(const Request &request, std::string pattern)
        : m_folder(pathBytes(request.folder)), m_empty(pathBytes(request.emptyFolder)),
          m_pattern(std::move(pattern)) {
        showView(m_list);
        m_list.setFileName(m_empty);
        m_list.setPattern("*.txt");
    }
    void reset() override {
        if (m_pattern.empty()) {
            m_list.setFileName(m_empty);
        } else {
            m_list.setFileName(m_folder);
            m_list.setPattern("*");
        }
        QCoreApplication::processEvents();
    }
    long long run() override {
        if (m_pattern.empty())
            m_list.setFileName(m_folder);
        else
            m_list.setPattern(m_pattern);
        paintNow(m_list);
        return m_list.listCount();
    }

private:
    std::string m_folder;
    std::string m_empty;
    std::string m_pattern; // empty: measure setting the folder; else: re-applying this pattern
    quervelle::FileListBox m_list;
};

class QuervelleFoldersRun final : public Run {
public:
    explicit QuervelleFoldersRun(const Request &request)
        : m_folder(pathBytes(request.folder)), m_empty(pathBytes(request.emptyFolder)) {
        m_list.setDriveRoots({"/"});
        showView(m_list);
    }
    void reset() override {
        m_list.setPath(m_empty);
        QCoreApplication::processEvents();
    }
    long long run() override {
        m_list.setPath(m_folder);
        paintNow(m_list);
        // The rows above the sub-folders: the root and each folder down to the one shown.
        const long long above =
            QString::fromStdString(m_folder).split(u'/', Qt::SkipEmptyParts).size() + 1;
        return m_list.model() ? m_list.model()->rowCount() - above : 0;
    }

private:
    std::string m_folder;
    std::string m_empty;
    quervelle::DirListBox m_list;
};

class FileSystemModelRun final : public Run {
public:
    explicit FileSystemModelRun(const Request &request) : m_folder(request.folder) {
        showView(m_view);
    }
    void reset() override {
        m_view.setModel(nullptr);
        m_model.reset();
        QCoreApplication::processEvents();
    }
    long long run() override {
        m_model = std::make_unique<QFileSystemModel>();
        m_model->setFilter(QDir::Files | QDir::NoDotAndDotDot);
        m_model->setNameFilters({QStringLiteral("*.txt")});
        m_model->setNameFilterDisables(false);
        QEventLoop loop;
        bool loaded = false;
        QObject::connect(m_model.get(), &QFileSystemModel::directoryLoaded, &loop,
                         [&](const QString &path) {
                             if (path == m_folder) {
                                 loaded = true;
                                 loop.quit();
                             }
                         });
        QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
        const QModelIndex root = m_model->setRootPath(m_folder);
        m_view.setModel(m_model.get());
        m_view.setRootIndex(root);
        if (!loaded)
            loop.exec();
        if (!loaded)
            throw std::runtime_error("QFileSystemModel did not load the folder");
        while (m_model->canFetchMore(root))
            m_model->fetchMore(root);
        paintNow(m_view);
        return m_model->rowCount(root);
    }

private:
    static constexpr int TimeoutMs = 600'000;
    QString m_folder;
    QListView m_view;
    std::unique_ptr<QFileSystemModel> m_model;
};

class ListWidgetRun final : public Run {
public:
    explicit ListWidgetRun(const Request &request) : m_folder(request.folder) { showView(m_list); }
    void reset() override {
        m_list.clear();
        QCoreApplication::processEvents();
    }
    long long run() override {
        const QStringList names =
            QDir(m_folder).entryList({QStringLiteral("*.txt")}, QDir::Files | QDir::NoDotAndDotDot,
                                     QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
        m_list.addItems(names);
        paintNow(m_list);
        return m_list.count();
    }

private:
    QString m_folder;
    QListWidget m_list;
};

std::unique_ptr<Run> makeRun(const Request &request) {
    switch (request.contender) {
    case Contender::RawFiles:
        return std::make_unique<RawRun>(request, DT_REG);
    case Contender::RawFolders:
        return std::make_unique<RawRun>(request, DT_DIR);
    case Contender::FloorFiles:
        return std::make_unique<FloorRun>(request, DT_REG, "*.txt");
    case Contender::FloorFolders:
        return std::make_unique<FloorRun>(request, DT_DIR, "");
    case Contender::QuervelleFiles:
        return std::make_unique<QuervelleFilesRun>(request, "");
    case Contender::QuervellePattern:
        return std::make_unique<QuervelleFilesRun>(request, "*.txt");
    case Contender::QuervelleFolders:
        return std::make_unique<QuervelleFoldersRun>(request);
    case Contender::FileSystemModel:
        return std::make_unique<FileSystemModelRun>(request);
    case Contender::ListWidget:
        return std::make_unique<ListWidgetRun>(request);
    }
    throw std::logic_error("unknown contender");
}

} // namespace

QString contenderKey(Contender contender) {
    for (const auto &entry : ContenderKeys)
        if (entry.contender == contender)
            return QString::fromLatin1(entry.key);
    return {};
}

bool contenderFromKey(const QString &key, Contender *contender) {
    for (const auto &entry : ContenderKeys) {
        if (key == QLatin1String(entry.key)) {
            *contender = entry.contender;
            return true;
        }
    }
    return false;
}

QStringList requestArguments(const Request &request) {
    return {contenderKey(request.contender), request.folder, request.emptyFolder,
            QString::number(request.warmups), QString::number(request.runs)};
}

bool requestFromArguments(const QStringList &arguments, Request *request) {
    if (arguments.size() != 5 || !contenderFromKey(arguments[0], &request->contender))
        return false;
    bool warmupsOk = false, runsOk = false;
    request->folder = arguments[1];
    request->emptyFolder = arguments[2];
    request->warmups = arguments[3].toInt(&warmupsOk);
    request->runs = arguments[4].toInt(&runsOk);
    return warmupsOk && runsOk && request->warmups >= 0 && request->runs > 0;
}

QString resultLine(const Result &result) {
    QStringList times;
    for (const double ms : result.milliseconds)
        times << QString::number(ms, 'f', 3);
    return QStringLiteral("result %1 %2 %3 %4")
        .arg(result.entries)
        .arg(result.heapKnown ? QString::number(result.heapRetained) : QStringLiteral("-"))
        .arg(result.peakRssKb)
        .arg(times.join(u','));
}

bool resultFromLine(const QString &line, Result *result) {
    const QStringList fields = line.trimmed().split(u' ');
    if (fields.size() != 5 || fields[0] != QLatin1String("result"))
        return false;
    bool ok[3] = {};
    result->entries = fields[1].toLongLong(&ok[0]);
    result->heapKnown = fields[2] != QLatin1String("-");
    result->heapRetained = result->heapKnown ? fields[2].toLongLong(&ok[1]) : 0;
    ok[1] = ok[1] || !result->heapKnown;
    result->peakRssKb = fields[3].toLongLong(&ok[2]);
    result->milliseconds.clear();
    for (const QString &time : fields[4].split(u',')) {
        bool timeOk = false;
        result->milliseconds.push_back(time.toDouble(&timeOk));
        if (!timeOk)
            return false;
    }
    return ok[0] && ok[1] && ok[2];
}

Result measure(const Request &request) {
    const std::unique_ptr<Run> run = makeRun(request);
    Result result;
    for (int i = 0; i < request.warmups + request.runs; ++i) {
        run->reset();
        const long long heapBefore = heapInUse();
        QElapsedTimer timer;
        timer.start();
        result.entries = run->run();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        const long long heapAfter = heapInUse();
        result.heapKnown = heapBefore >= 0 && heapAfter >= 0;
        result.heapRetained = result.heapKnown ? heapAfter - heapBefore : 0;
        if (i >= request.warmups)
            result.milliseconds.push_back(ms);
    }
    result.peakRssKb = peakRssKb();
    return result;
}

} // namespace bench
