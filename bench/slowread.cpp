// A folder read on a slow medium, and how long the window's thread went without processing
// events meanwhile. Every system read of the folder's entries is slowed by the delay given (the
// tests' stand-in for readdir(), support/slowfolders.h); the file list is then given the folder,
// as "OK" or opening a folder does, while a timer asks the window's thread for an event every
// millisecond. The longest time between two events it processed, from the moment the list was
// given the folder to the first event after the list returned, is the figure.
//
//   quervelle_slowread <folder> <milliseconds per system read>
//
// It prints one line: "slowread <read ms> <longest gap ms> <names listed> <system reads>".

#include "platform/controls/filelistbox.h"

#include "support/slowfolders.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <vector>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    bool ok = arguments.size() == 3;
    const int delay = ok ? arguments[2].toInt(&ok) : 0;
    if (!ok || delay < 0) {
        std::fprintf(stderr, "usage: quervelle_slowread <folder> <milliseconds per read>\n");
        return 2;
    }
    const std::string folder = QFile::encodeName(arguments[1]).toStdString();

    // The list in a window that has drawn its text already, as the program's window has.
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *list = new quervelle::FileListBox;
    layout->addWidget(new QLabel(QStringLiteral("Fichier:")));
    layout->addWidget(list);
    window.resize(400, 300);
    window.show();
    QApplication::processEvents();
    window.grab();
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> events;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] { events.push_back(clock.nsecsElapsed()); });
    probe.start();
    QApplication::processEvents();

    quervelle::test::setFolderReadDelay(std::chrono::milliseconds(delay));
    events.clear();
    const qint64 start = clock.nsecsElapsed();
    try {
        list->setFileName(folder);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    const qint64 end = clock.nsecsElapsed();
    const int reads = quervelle::test::slowedFolderReads();
    quervelle::test::setFolderReadDelay(std::chrono::milliseconds(0));
    const std::size_t during = events.size();
    while (events.size() == during) // the first event after the list returned
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);

    qint64 longest = 0;
    qint64 last = start;
    for (const qint64 at : events) {
        longest = std::max(longest, at - last);
        last = at;
        if (at > end)
            break;
    }
    std::printf("slowread %.1f %.1f %d %d\n", double(end - start) / 1e6, double(longest) / 1e6,
                list->listCount(), reads);
    return 0;
}
