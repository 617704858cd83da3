#include "platform/controls/icu/keywriter.h"
#include "platform/controls/icu/latinkeys.h"
#include "platform/controls/nameorder.h"
#include "platform/controls/namesort.h"
#include "platform/files/namelist.h"

#include <QCollator>
#include <QTest>

#include <unicode/ucol.h>
#include <unicode/uset.h>
#include <unicode/uvernum.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

using quervelle::Collation;
using quervelle::LatinKeys;
using quervelle::NameList;
using quervelle::NameOrder;

namespace {

using Names = std::vector<std::string>;

// Numbers, case, accents, punctuation, spaces, emoji and bytes that are not UTF-8.
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
                         "e\xCC\x81", // e and a combining acute accent
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
                         "caf\xE9", // Latin-1, not UTF-8
                         "caf\xC3", // cut short
                         "\xEF\xBB\xBF"
                         "abc",               // a byte order mark first
                         "a\xCC\x81\xCC\xA3", // two accents, out of their canonical order
                         "a\xCC\xA3\xCC\x81",
                         "_x",
                         "x_",
                         "x y",
                         "x  y",
                         " x",
                         "x",
                         "x.y",
                         "x-y",
                         "x~",
                         "Zebra",
                         "zebra",
                         "\xC5\x93uvre",
                         "oeuvre",
                         "\xF0\x9F\x98\x80 smile",
                         "\xF0\x9F\x98\x80",
                         "\xEF\xBC\x91\xEF\xBC\x90", // fullwidth digits 1 and 0
                         "10",
                         "9",
                         "0",
                         "00",
                         "12345678901234567890",
                         "12345678901234567891",
                         "1.5",
                         "1,5",
                         "a\x01"
                         "b"};

QString decoded(const std::string &s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The plain way: every comparison through the collator, byte order to break ties.
Names referenceOrder(Names names, const Collation &collation) {
    const QCollator collator = NameOrder(collation).collator();
    std::sort(names.begin(), names.end(), [&](const std::string &a, const std::string &b) {
        const int c = collator.compare(decoded(a), decoded(b));
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

Names sortedByList(const Names &names, const Collation &collation, bool withHelper) {
    NameList list;
    for (const std::string &name : names)
        list.append(name);
    NameOrder order(collation);
    NameOrder helper(collation);
    sortNames(list, order, withHelper ? &helper : nullptr);
    Names out;
    for (std::size_t i = 0; i < list.size(); ++i)
        out.emplace_back(list.name(i));
    return out;
}

// The same names added in batches of batchSize, as a large folder is read.
Names sortedInBatches(const Names &names, const Collation &collation, std::size_t batchSize) {
    NameOrder order(collation);
    quervelle::BatchSort sort(order);
    for (std::size_t start = 0; start < names.size(); start += batchSize) {
        NameList batch;
        for (std::size_t i = start; i < std::min(names.size(), start + batchSize); ++i)
            batch.append(names[i]);
        sort.add(std::move(batch));
    }
    const NameList list = sort.take();
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

// Many names the collator finds equal: every case of a word, with one number written with and
// without leading zeros. Only their bytes order them.
Names equalNames() {
    Names names;
    for (unsigned mask = 0; mask < 64; ++mask) {
        std::string word = "abcdef";
        for (std::size_t i = 0; i < word.size(); ++i)
            if (mask & (1u << i))
                word[i] = char(word[i] - 'a' + 'A');
        for (const char *number : {"7", "07", "007"})
            names.push_back(word + number);
    }
    return names;
}

// Names that share long beginnings, plain or accented, so that their keys agree over many bytes
// before they differ, or never do: then numbers, case and a letter tell them apart.
Names sharedPrefixNames() {
    Names names;
    for (const std::string &start : {std::string(120, 'x') + " rapport ",
                                     "Compte rendu de la r\xC3\xA9union " + std::string(60, 'z')}) {
        for (int i = 0; i < 150; ++i)
            names.push_back(start + std::to_string(i % 50) + (i < 50 ? "" : i < 100 ? "b" : "B"));
    }
    return names;
}

// Names of printable ASCII characters as people make them: words in mixed case, numbers with
// and without leading zeros (some very long), punctuation and runs of spaces; some up to the
// longest name a folder takes.
std::string randomAsciiName(std::mt19937 &rng) {
    const auto pick = [&rng](int n) { return int(rng() % unsigned(n)); };
    const std::size_t length = pick(20) == 0 ? 100 + pick(156) : 1 + pick(30);
    std::string name;
    while (name.size() < length) {
        switch (pick(6)) {
        case 0:
        case 1:
            for (int i = 1 + pick(6); i > 0; --i)
                name += char((pick(2) ? 'a' : 'A') + pick(26));
            break;
        case 2: {
            name.append(std::size_t(pick(3) == 0 ? pick(4) : 0), '0');
            const int digits = pick(10) == 0 ? 1 + pick(40) : 1 + pick(8);
            for (int i = 0; i < digits; ++i)
                name += char('0' + pick(10));
            break;
        }
        case 3:
            name += char(' ' + pick(95)); // any printable character
            break;
        case 4:
            name.append(std::size_t(1 + pick(2)), ' ');
            break;
        default:
            name += "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"[pick(32)];
        }
    }
    name.resize(std::min<std::size_t>(name.size(), 255));
    return name;
}

// The same names with, now and then, a letter or a byte from beyond ASCII. (No fullwidth digit
// here: beside ASCII digits the collator's compare() and its keys disagree on those in some
// languages, Czech among them, so compare() gives no order to check against.)
std::string randomName(std::mt19937 &rng) {
    static const char *const others[] = {
        "\xC3\xA9", "\xC3\x89", "\xC3\xA0", "\xC5\x93",  "\xC3\x9F",
        "\xFF",     "\xE9",     "\xC3",     "e\xCC\x81", "\xF0\x9F\x98\x80",
        "\xC2\xA0", "\xC3\xB8", "\xC3\xA5", "\xC4\xB1",  "\x01"};
    std::string name = randomAsciiName(rng);
    if (rng() % 3 == 0) {
        const std::size_t at = rng() % (name.size() + 1);
        name.insert(at, others[rng() % (sizeof others / sizeof *others)]);
    }
    return name;
}

// Names as French, German or Nordic people write them: the ASCII names above with letters and
// signs of Latin-1 in UTF-8 among them, alone, in pairs, beside digits and spaces, and now and
// then a byte that is not UTF-8.
std::string randomLatinName(std::mt19937 &rng) {
    std::string name = randomAsciiName(rng);
    for (int n = 1 + int(rng() % 4); n > 0; --n) {
        const auto c = char16_t(0xA0 + rng() % 0x60);
        std::string text{char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        if (rng() % 5 == 0) // a byte of Latin-1 (or a stray byte of UTF-8), not UTF-8 itself
            text = std::string(1, char(rng() % 2 ? c : 0x80 + rng() % 0x80));
        const std::size_t at = rng() % (name.size() + 1);
        name.insert(at, rng() % 4 == 0 ? text + text : text);
    }
    return name;
}

Names randomNames(std::size_t count, std::string (*make)(std::mt19937 &), unsigned seed) {
    std::mt19937 rng(seed);
    Names names;
    while (names.size() < count)
        names.push_back(make(rng));
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

// The lists' collator, asked for keys as the lists ask for them.
struct Collator {
    explicit Collator(const Collation &collation)
        : handle(quervelle::openCollator(collation)), collator(handle.get()) {}

    std::string key(const std::string &name) const {
        const QString text = decoded(name);
        std::string out(8 * std::size_t(text.size()) + 64, '\0');
        const int32_t n = ucol_getSortKey(
            collator, reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()),
            reinterpret_cast<uint8_t *>(out.data()), int32_t(out.size()));
        out.resize(std::size_t(std::max(n, 0)));
        return out;
    }

    quervelle::CollatorHandle handle;
    UCollator *collator;
};

// The lists' order in a language.
Collation lists(QLocale::Language language, QLocale::Territory territory = QLocale::AnyTerritory) {
    return Collation::lists(QLocale(language, territory));
}

// The lists' order, with one setting changed.
Collation listsWith(const QLocale &locale, void (*change)(Collation &)) {
    Collation collation = Collation::lists(locale);
    change(collation);
    return collation;
}

QString hex(const std::string &bytes) {
    return QString::fromLatin1(QByteArray::fromStdString(bytes).toHex(' '));
}

} // namespace

// What the keys written without the collator take in a row of the table.
enum Keyed { Nothing, AsciiAndNumbers, Accents };

Q_DECLARE_METATYPE(Names)
Q_DECLARE_METATYPE(Collation)

class TestNameOrder : public QObject {
    Q_OBJECT
private slots:
    void listOrderEqualsReference_data();
    void listOrderEqualsReference();
    void latinKeysAreCollatorKeys_data();
    void latinKeysAreCollatorKeys();
    void batchesGiveTheSameOrder_data();
    void batchesGiveTheSameOrder();
    void accentsDecideInTheLanguagesDirection_data();
    void accentsDecideInTheLanguagesDirection();
    void pairs_data();
    void pairs();
    void contractionTailsAreTheCollators();
};

void TestNameOrder::listOrderEqualsReference_data() {
    QTest::addColumn<Names>("names");
    QTest::addColumn<Collation>("collation");
    QTest::addColumn<bool>("withHelper");
    const Collation french = lists(QLocale::French, QLocale::France);
    QTest::newRow("tricky set, one thread") << trickySet << french << false;
    QTest::newRow("tricky set, helper offered") << trickySet << french << true;
    QTest::newRow("large set, one thread") << largeSet() << french << false;
    QTest::newRow("large set, two threads") << largeSet() << french << true;
    QTest::newRow("names the collator finds equal") << equalNames() << french << false;
    QTest::newRow("long shared beginnings") << sharedPrefixNames() << french << false;
    QTest::newRow("one name") << Names{"x"} << french << true;
    QTest::newRow("no name") << Names{} << french << true;
    const auto random = [](unsigned seed) { return randomNames(6000, randomName, seed); };
    const auto latin = [](unsigned seed) { return randomNames(6000, randomLatinName, seed); };
    QTest::newRow("random names, French") << random(1) << french << true;
    QTest::newRow("random names, English") << random(2) << lists(QLocale::English) << true;
    QTest::newRow("random names, Danish: aa sorts as a-ring")
        << random(3) << lists(QLocale::Danish) << true;
    QTest::newRow("random names, Czech: ch is a letter")
        << random(4) << lists(QLocale::Czech) << true;
    QTest::newRow("random names, Turkish: I is dotless")
        << random(5) << lists(QLocale::Turkish) << true;
    QTest::newRow("tricky set, Swedish") << trickySet << lists(QLocale::Swedish) << true;
    const Collation canadian = lists(QLocale::French, QLocale::Canada);
    QTest::newRow("Canadian French: accents read from the end") << latin(6) << canadian << true;
    QTest::newRow("Canadian French, tricky set") << trickySet << canadian << false;
    // Whatever the order says, the lists follow it.
    const QLocale fr(QLocale::French, QLocale::France);
    const Collation caseCounts =
        listsWith(fr, [](Collation &c) { c.caseSensitivity = Qt::CaseSensitive; });
    const Collation digitByDigit = listsWith(fr, [](Collation &c) { c.numbersByValue = false; });
    const Collation noPunctuation = listsWith(fr, [](Collation &c) { c.ignorePunctuation = true; });
    QTest::newRow("case counts") << latin(7) << caseCounts << true;
    QTest::newRow("case counts, tricky set") << trickySet << caseCounts << false;
    QTest::newRow("digits one by one") << random(8) << digitByDigit << true;
    QTest::newRow("digits one by one, tricky set") << trickySet << digitByDigit << false;
    QTest::newRow("punctuation skipped") << random(9) << noPunctuation << true;
    QTest::newRow("punctuation skipped, tricky set") << trickySet << noPunctuation << false;
}

void TestNameOrder::listOrderEqualsReference() {
    QFETCH(Names, names);
    QFETCH(Collation, collation);
    QFETCH(bool, withHelper);
    std::mt19937 shuffler(12345);
    std::shuffle(names.begin(), names.end(), shuffler);
    const Names expected = referenceOrder(names, collation);
    const Names actual = sortedByList(names, collation, withHelper);
    QCOMPARE(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (actual[i] != expected[i])
            QFAIL(qPrintable(QStringLiteral("row %1: %2 instead of %3")
                                 .arg(i)
                                 .arg(hex(actual[i]), hex(expected[i]))));
    }
}

// The keys written without the collator are the collator's own, byte for byte, on large random
// samples of ASCII names and of names with accents; the characters a language tailors are left
// to the collator. The weights written here are those of ICU 72.1 (see latinkeys.cpp): an ICU
// that gives other ones turns the keys written here off, and this test says so.
void TestNameOrder::latinKeysAreCollatorKeys_data() {
    QTest::addColumn<Collation>("collation");
    QTest::addColumn<QByteArray>("leftToCollator");
    QTest::addColumn<QByteArray>("keyedHere"); // names keyed here, between |
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("keyed"); // what is keyed here
    const QByteArray accents("r\xC3\xA9sum\xC3\xA9 7.txt|caf\xE9 2.txt|\xC3\x9C"
                             "berblick_3");
    const QByteArray ascii("Rapport_000123 (v2).TXT|photo 45.bmp");
    QTest::newRow("French") << lists(QLocale::French, QLocale::France) << QByteArray("a\x01")
                            << accents << 7u << int(Accents);
    QTest::newRow("English") << lists(QLocale::English) << QByteArray("\x7f") << accents << 8u
                             << int(Accents);
    QTest::newRow("German") << lists(QLocale::German) << QByteArray("\t") << accents << 9u
                            << int(Accents);
    QTest::newRow("Danish") << lists(QLocale::Danish) << QByteArray("Kaare") << QByteArray() << 10u
                            << int(Accents);
    QTest::newRow("Czech") << lists(QLocale::Czech) << QByteArray("chata") << QByteArray() << 11u
                           << int(Accents);
    QTest::newRow("Turkish") << lists(QLocale::Turkish) << QByteArray("Istanbul") << QByteArray()
                             << 12u << int(Accents);
    QTest::newRow("Canadian French: accents read from the end are left to the collator")
        << lists(QLocale::French, QLocale::Canada) << QByteArray("c\xC3\xB4te") << ascii << 13u
        << int(AsciiAndNumbers);
    QTest::newRow("case counts: a level these keys do not write")
        << listsWith(QLocale(QLocale::French, QLocale::France),
                     [](Collation &c) { c.caseSensitivity = Qt::CaseSensitive; })
        << QByteArray("a") << QByteArray() << 14u << int(Nothing);
}

void TestNameOrder::latinKeysAreCollatorKeys() {
    QFETCH(Collation, collation);
    QFETCH(QByteArray, leftToCollator);
    QFETCH(QByteArray, keyedHere);
    QFETCH(unsigned, seed);
    QFETCH(int, keyed);
    const Collator collator(collation);
    const LatinKeys keys(collator.collator);
    const char *const why =
        keyed == Nothing ? "keys written here for settings they are not written for"
                         : "ICU " U_ICU_VERSION " gives other weights than the ICU these keys are "
                           "written for: every name goes through the collator";
    QVERIFY2(keys.enabled() == (keyed != Nothing), why);
    QVERIFY2(keys.numbersEnabled() == (keyed != Nothing), why);
    QVERIFY2(keys.accentsEnabled() == (keyed == Accents), why);

    std::vector<unsigned char> out(LatinKeys::maxKeyLength(leftToCollator.size()));
    QCOMPARE(keys.write(leftToCollator.toStdString(), out.data()), std::size_t(0));

    // Those a language tailors (the Danish a-ring) are left to the collator with the names that
    // hold them.
    for (const QByteArray &name : keyedHere.split('|')) {
        out.assign(LatinKeys::maxKeyLength(std::size_t(name.size())), 0);
        QVERIFY2(name.isEmpty() || keys.write(name.toStdString(), out.data()) != 0, name);
    }
    for (auto make : {randomAsciiName, randomLatinName}) {
        std::size_t keyedCount = 0;
        const Names names = randomNames(30000, make, seed);
        for (const std::string &name : names) {
            out.assign(LatinKeys::maxKeyLength(name.size()), 0);
            const std::size_t length = keys.write(name, out.data());
            if (length == 0)
                continue;
            ++keyedCount;
            const std::string mine(reinterpret_cast<const char *>(out.data()), length);
            const std::string theirs = collator.key(name);
            if (mine != theirs)
                QFAIL(qPrintable(QStringLiteral("\"%1\": %2 instead of %3")
                                     .arg(QString::fromStdString(name), hex(mine), hex(theirs))));
        }
        // Every name is keyed here unless its language tailors one of its characters, or it
        // holds an accent where accents are left to the collator.
        if (keyed == Nothing || (keyed == AsciiAndNumbers && make == randomLatinName))
            QCOMPARE(keyedCount, std::size_t(0));
        else
            QVERIFY2(keyedCount > names.size() / 10, qPrintable(QString::number(keyedCount)));
    }
}

// A folder read in batches is in the same order, on one thread or on two (large folders), with
// names the keys cannot tell apart among them.
void TestNameOrder::batchesGiveTheSameOrder_data() {
    QTest::addColumn<Names>("names");
    QTest::addColumn<std::size_t>("batchSize");
    QTest::newRow("tricky set, one name a batch") << trickySet << std::size_t(1);
    QTest::newRow("large set, two threads") << largeSet() << std::size_t(1000);
    QTest::newRow("names the collator finds equal") << equalNames() << std::size_t(50);
    QTest::newRow("random names with accents")
        << randomNames(9000, randomLatinName, 21) << std::size_t(4096);
}

void TestNameOrder::batchesGiveTheSameOrder() {
    QFETCH(Names, names);
    QFETCH(std::size_t, batchSize);
    std::mt19937 shuffler(54321);
    std::shuffle(names.begin(), names.end(), shuffler);
    const Collation french = lists(QLocale::French, QLocale::France);
    QCOMPARE(sortedInBatches(names, french, batchSize), referenceOrder(names, french));
}

// Accents weigh less than letters; where two names differ only by accents, French reads them
// from the start of the name and Canadian French from its end.
void TestNameOrder::accentsDecideInTheLanguagesDirection_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Names>("expected");
    const std::string cote = "cote", coteAcute = "cot\xC3\xA9", circumflex = "c\xC3\xB4te",
                      both = "c\xC3\xB4t\xC3\xA9";
    QTest::newRow("French: the first accent decides")
        << QLocale(QLocale::French, QLocale::France)
        << Names{cote, coteAcute, circumflex, both, "cotes"};
    QTest::newRow("Canadian French: the last accent decides")
        << QLocale(QLocale::French, QLocale::Canada)
        << Names{cote, circumflex, coteAcute, both, "cotes"};
}

void TestNameOrder::accentsDecideInTheLanguagesDirection() {
    QFETCH(QLocale, locale);
    QFETCH(Names, expected);
    Names names = expected;
    std::reverse(names.begin(), names.end());
    QCOMPARE(sortedByList(names, Collation::lists(locale), false), expected);
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

// The characters below U+0100 that continue a contraction begun by another such character, as
// the collator of every language lists them, are those left to it.
void TestNameOrder::contractionTailsAreTheCollators() {
    Collation rootCollation;
    rootCollation.locale = QLocale::c();
    const Collator root(rootCollation);
    UErrorCode status = U_ZERO_ERROR;
    USet *contractions = uset_openEmpty();
    ucol_getContractionsAndExpansions(root.collator, contractions, nullptr, true, &status);
    QVERIFY(U_SUCCESS(status));
    std::u16string tails;
    for (int32_t i = 0; i < uset_getItemCount(contractions); ++i) {
        UChar32 start = 0, end = 0;
        UChar text[64];
        const int32_t length = uset_getItem(contractions, i, &start, &end, text, 64, &status);
        QVERIFY(U_SUCCESS(status));
        for (int32_t k = 1; k < length && text[0] < 256; ++k)
            if (text[k] < 256 && tails.find(char16_t(text[k])) == std::u16string::npos)
                tails.push_back(char16_t(text[k]));
    }
    uset_close(contractions);
    std::sort(tails.begin(), tails.end());
    QCOMPARE(tails, std::u16string(LatinKeys::rootContractionTails()));
}

QTEST_GUILESS_MAIN(TestNameOrder)
#include "tst_nameorder.moc"
