#include "platform/controls/nameorder.h"
#include "platform/controls/namesort.h"
#include "platform/files/namelist.h"

#include <QCollator>
#include <QTest>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using quervelle::NameList;
using quervelle::NameOrder;

namespace {

using Names = std::vector<std::string>;

// Numbers, case, accents, punctuation and bytes that are not UTF-8.
const Names trickySet = {"file10",
                         "file2",
                         "File1",
                         "file02",
                         "007",
                         "7",
                         "70",
                         "a",
                         "A",
                         "b",
                         "B",
                         "e",
                         "\xC3\xA9",
                         "E",
                         "\xC3\x89",
                         "f",
                         "\xC3\xA9t\xC3\xA9",
                         "ete",
                         "Photo 45.BMP",
                         "photo 5.bmp",
                         "rapport_000123.txt",
                         "rapport_99.txt",
                         "a\xFF",
                         "a\xEF\xBF\xBD",
                         "\xFF",
                         "\xFE\xFD",
                         "_x",
                         "x_",
                         "x y",
                         "x",
                         "Zebra",
                         "zebra",
                         "\xC5\x93uvre",
                         "oeuvre",
                         "10",
                         "9"};

// The plain way: every comparison through the collator, byte order to break ties.
Names referenceOrder(Names names) {
    QCollator collator(NameOrder::collationLocale());
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    auto decode = [](const std::string &s) {
        return QString::fromUtf8(s.data(), qsizetype(s.size()));
    };
    std::sort(names.begin(), names.end(), [&](const std::string &a, const std::string &b) {
        const int c = collator.compare(decode(a), decode(b));
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

Names sortedByList(const Names &names, bool withHelper) {
    NameList list;
    for (const std::string &name : names)
        list.append(name);
    NameOrder order;
    NameOrder helper;
    sortNames(list, order, withHelper ? &helper : nullptr);
    Names out;
    for (std::size_t i = 0; i < list.size(); ++i)
        out.emplace_back(list.name(i));
    return out;
}

// Enough names for the sort to use its second thread: the tricky set with numbered variants.
Names largeSet() {
    Names names;
    for (int i = 0; i < 400; ++i) {
        for (const std::string &base : trickySet)
            names.push_back(base + (i % 2 ? "-" : " ") + std::to_string(i));
    }
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Names)

class TestNameOrder : public QObject {
    Q_OBJECT
private slots:
    void listOrderEqualsReference_data();
    void listOrderEqualsReference();
    void pairs_data();
    void pairs();
};

void TestNameOrder::listOrderEqualsReference_data() {
    QTest::addColumn<Names>("names");
    QTest::addColumn<bool>("withHelper");
    QTest::newRow("tricky set, one thread") << trickySet << false;
    QTest::newRow("tricky set, helper offered") << trickySet << true;
    QTest::newRow("large set, one thread") << largeSet() << false;
    QTest::newRow("large set, two threads") << largeSet() << true;
    QTest::newRow("one name") << Names{"x"} << true;
    QTest::newRow("no name") << Names{} << true;
}

void TestNameOrder::listOrderEqualsReference() {
    QFETCH(Names, names);
    QFETCH(bool, withHelper);
    std::mt19937 shuffler(12345);
    std::shuffle(names.begin(), names.end(), shuffler);
    const Names expected = referenceOrder(names);
    const Names actual = sortedByList(names, withHelper);
    QCOMPARE(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (actual[i] != expected[i])
            QFAIL(qPrintable(
                QStringLiteral("row %1: %2 instead of %3")
                    .arg(i)
                    .arg(QString::fromStdString(actual[i]), QString::fromStdString(expected[i]))));
    }
}

void TestNameOrder::pairs_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("numbers by value") << QByteArray("file2") << QByteArray("file10");
    QTest::newRow("numbers by value whatever the case")
        << QByteArray("File2") << QByteArray("file10");
    QTest::newRow("case does not lead") << QByteArray("apple") << QByteArray("Banana");
    QTest::newRow("equal but for case: bytes decide") << QByteArray("A") << QByteArray("a");
    QTest::newRow("equal numbers: bytes decide") << QByteArray("007") << QByteArray("7");
    QTest::newRow("plain letter before accented") << QByteArray("e") << QByteArray("\xC3\xA9");
    QTest::newRow("accented before the next letter") << QByteArray("\xC3\xA9") << QByteArray("f");
    QTest::newRow("same text once decoded: bytes decide")
        << QByteArray("a\xEF\xBF\xBD") << QByteArray("a\xFF");
}

void TestNameOrder::pairs() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    const NameOrder order;
    const std::string_view a(first.constData(), std::size_t(first.size()));
    const std::string_view b(second.constData(), std::size_t(second.size()));
    QCOMPARE(order.compare(a, b), -1);
    QCOMPARE(order.compare(b, a), 1);
    QCOMPARE(NameOrder::compareKeys(order.sortKey(a), a, order.sortKey(b), b), -1);
    QCOMPARE(NameOrder::compareKeys(order.sortKey(b), b, order.sortKey(a), a), 1);
    QCOMPARE(order.compare(a, a), 0);
}

QTEST_GUILESS_MAIN(TestNameOrder)
#include "tst_nameorder.moc"
