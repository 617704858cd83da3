#pragma once

// One measurement, run in a process of its own so that its peak memory and its heap are its
// own: a contender lists a folder several times (the first runs unmeasured, to warm the caches)
// and the process prints one result line for the driver to read.

#include <QString>

#include <vector>

namespace bench {

// What a contender lists and how it shows it.
enum class Contender {
    RawFiles,         // readdir + d_type, counting the files: no pattern, no names kept, no sort
    RawFolders,       // readdir + d_type, counting the sub-folders
    FloorFiles,       // readdir + d_type, "*.txt" on raw bytes, sort by precomputed keys
    FloorFolders,     // readdir + DT_DIR, sort by precomputed keys
    QuervelleFiles,   // the file list set to the folder with pattern "*.txt", painted
    QuervelleFolders, // the directory list set to the folder, painted
    QuervellePattern, // the file list at the folder, pattern "*" changed to "*.txt", painted
    FileSystemModel,  // QFileSystemModel + QListView, every row loaded, painted
    ListWidget,       // QDir::entryList sorted + QListWidget, painted
};

QString contenderKey(Contender contender);
bool contenderFromKey(const QString &key, Contender *contender);

struct Request {
    Contender contender = Contender::FloorFiles;
    QString folder;      // the folder to list
    QString emptyFolder; // where the views rest between runs
    int warmups = 1;
    int runs = 1;
};

struct Result {
    long long entries = 0;      // entries listed in the last run
    long long heapRetained = 0; // heap in use after the last run minus before it, bytes
    bool heapKnown = true;      // false where malloc gives no count of the heap in use
    long long peakRssKb = 0;
    std::vector<double> milliseconds; // the measured runs
};

// The command-line arguments that run request in a child process, and back.
QStringList requestArguments(const Request &request);
bool requestFromArguments(const QStringList &arguments, Request *request);

// The result as one line of text, and back.
QString resultLine(const Result &result);
bool resultFromLine(const QString &line, Result *result);

// Runs the request in this process (a QApplication exists); throws std::exception on failure.
Result measure(const Request &request);

} // namespace bench
