#include "platform/controls/icu/latinkeys.h"
#include "platform/controls/nameorder.h"
#include "platform/controls/namesort.h"
#include "platform/files/namelist.h"

#include <QCollator>
#include <QTest>

#include <unicode/ucol.h>
#include <unicode/uset.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

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

QCollator referenceCollator(const QLocale &locale) {
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QString decoded(const std::string &s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The plain way: every comparison through the collator, byte order to break ties.
Names referenceOrder(Names names, const QLocale &locale) {
    const QCollator collator = referenceCollator(locale);
    std::sort(names.begin(), names.end(), [&](const std::string &a, const std::string &b) {
        const int c = collator.compare(decoded(a), decoded(b));
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

Names sortedByList(const Names &names, const QLocale &locale, bool withHelper) {
    NameList list;
    for (const std::string &name : names)
        list.append(name);
    const NameOrder order(locale);
    const NameOrder helper(locale);
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

// A collator with the lists' settings, asked for keys as the lists ask for them.
struct Collator {
    explicit Collator(const QLocale &locale) {
        UErrorCode status = U_ZERO_ERROR;
        const QByteArray name = locale.bcp47Name().toLatin1().replace('-', '_');
        collator = ucol_open(name.constData(), &status);
        ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
        ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
        ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ok = U_SUCCESS(status);
    }
    ~Collator() { ucol_close(collator); }
    Collator(const Collator &) = delete;
    Collator &operator=(const Collator &) = delete;

    std::string key(const std::string &name) const {
        const QString text = decoded(name);
        std::string out(8 * std::size_t(text.size()) + 64, '\0');
        const int32_t n = ucol_getSortKey(
            collator, reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()),
            reinterpret_cast<uint8_t *>(out.data()), int32_t(out.size()));
        out.resize(std::size_t(std::max(n, 0)));
        return out;
    }

    UCollator *collator = nullptr;
    bool ok = false;
};

QString hex(const std::string &bytes) {
    return QString::fromLatin1(QByteArray::fromStdString(bytes).toHex(' '));
}

} // namespace

Q_DECLARE_METATYPE(Names)

class TestNameOrder : public QObject {
    Q_OBJECT
private slots:
    void listOrderEqualsReference_data();
    void listOrderEqualsReference();
    void latinKeysAreCollatorKeys_data();
    void latinKeysAreCollatorKeys();
    void pairs_data();
    void pairs();
    void contractionTailsAreTheCollators();
};

void TestNameOrder::listOrderEqualsReference_data() {
    QTest::addColumn<Names>("names");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("withHelper");
    const QLocale french(QLocale::French, QLocale::France);
    QTest::newRow("tricky set, one thread") << trickySet << french << false;
    QTest::newRow("tricky set, helper offered") << trickySet << french << true;
    QTest::newRow("large set, one thread") << largeSet() << french << false;
    QTest::newRow("large set, two threads") << largeSet() << french << true;
    QTest::newRow("names the collator finds equal") << equalNames() << french << false;
    QTest::newRow("long shared beginnings") << sharedPrefixNames() << french << false;
    QTest::newRow("one name") << Names{"x"} << french << true;
    QTest::newRow("no name") << Names{} << french << true;
    const auto random = [](unsigned seed) { return randomNames(6000, randomName, seed); };
    QTest::newRow("random names, French") << random(1) << french << true;
    QTest::newRow("random names, English") << random(2) << QLocale(QLocale::English) << true;
    QTest::newRow("random names, Danish: aa sorts as a-ring")
        << random(3) << QLocale(QLocale::Danish) << true;
    QTest::newRow("random names, Czech: ch is a letter")
        << random(4) << QLocale(QLocale::Czech) << true;
    QTest::newRow("random names, Turkish: I is dotless")
        << random(5) << QLocale(QLocale::Turkish) << true;
    QTest::newRow("tricky set, Swedish") << trickySet << QLocale(QLocale::Swedish) << true;
}

void TestNameOrder::listOrderEqualsReference() {
    QFETCH(Names, names);
    QFETCH(QLocale, locale);
    QFETCH(bool, withHelper);
    std::mt19937 shuffler(12345);
    std::shuffle(names.begin(), names.end(), shuffler);
    const Names expected = referenceOrder(names, locale);
    const Names actual = sortedByList(names, locale, withHelper);
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
// to the collator.
void TestNameOrder::latinKeysAreCollatorKeys_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("leftToCollator");
    QTest::addColumn<QByteArray>("keyedHere"); // names keyed here, between |
    QTest::addColumn<unsigned>("seed");
    const QByteArray accents("r\xC3\xA9sum\xC3\xA9 7.txt|caf\xE9 2.txt|\xC3\x9C"
                             "berblick_3");
    QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << QByteArray("a\x01")
                            << accents << 7u;
    QTest::newRow("English") << QLocale(QLocale::English) << QByteArray("\x7f") << accents << 8u;
    QTest::newRow("German") << QLocale(QLocale::German) << QByteArray("\t") << accents << 9u;
    QTest::newRow("Danish") << QLocale(QLocale::Danish) << QByteArray("Kaare") << QByteArray()
                            << 10u;
    QTest::newRow("Czech") << QLocale(QLocale::Czech) << QByteArray("chata") << QByteArray() << 11u;
    QTest::newRow("Turkish") << QLocale(QLocale::Turkish) << QByteArray("Istanbul") << QByteArray()
                             << 12u;
}

void TestNameOrder::latinKeysAreCollatorKeys() {
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, leftToCollator);
    QFETCH(QByteArray, keyedHere);
    QFETCH(unsigned, seed);
    const Collator collator(locale);
    QVERIFY(collator.ok);
    const LatinKeys keys(collator.collator);
    QVERIFY(keys.enabled());

    std::vector<unsigned char> out(LatinKeys::maxKeyLength(leftToCollator.size()));
    QCOMPARE(keys.write(leftToCollator.toStdString(), out.data()), std::size_t(0));

    // Accents are keyed here in every language of the table; those a language tailors (the
    // Danish a-ring) are left to the collator with the names that hold them.
    QVERIFY(keys.accentsEnabled());
    for (const QByteArray &name : keyedHere.split('|')) {
        out.assign(LatinKeys::maxKeyLength(std::size_t(name.size())), 0);
        QVERIFY2(name.isEmpty() || keys.write(name.toStdString(), out.data()) != 0, name);
    }
    for (auto make : {randomAsciiName, randomLatinName}) {
        std::size_t keyed = 0;
        const Names names = randomNames(30000, make, seed);
        for (const std::string &name : names) {
            out.assign(LatinKeys::maxKeyLength(name.size()), 0);
            const std::size_t length = keys.write(name, out.data());
            if (length == 0)
                continue;
            ++keyed;
            const std::string mine(reinterpret_cast<const char *>(out.data()), length);
            const std::string theirs = collator.key(name);
            if (mine != theirs)
                QFAIL(qPrintable(QStringLiteral("\"%1\": %2 instead of %3")
                                     .arg(QString::fromStdString(name), hex(mine), hex(theirs))));
        }
        // Every name is keyed here unless its language tailors one of its characters.
        QVERIFY2(keyed > names.size() / 10, qPrintable(QString::number(keyed)));
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

// The characters below U+0100 that continue a contraction begun by another such character, as
// the collator of every language lists them, are those left to it.
void TestNameOrder::contractionTailsAreTheCollators() {
    const Collator root(QLocale::c());
    QVERIFY(root.ok);
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
