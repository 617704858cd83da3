#include "platform/files/pattern.h"

#include <QTest>

#include <string>

using quervelle::matchesPattern;
using quervelle::PatternMatcher;

namespace {

std::string_view view(const QByteArray &bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

class TestPattern : public QObject {
    Q_OBJECT
private slots:
    void matching_data();
    void matching();
    void longPatternsStayIterative();
};

void TestPattern::matching_data() {
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("expected");

    QTest::newRow("star matches a name with an extension")
        << QByteArray("*") << QByteArray("a.txt") << true;
    QTest::newRow("star matches a name without a dot")
        << QByteArray("*") << QByteArray("README") << true;
    QTest::newRow("stars alone match anything") << QByteArray("**") << QByteArray("x") << true;
    QTest::newRow("extension matches") << QByteArray("*.txt") << QByteArray("notes.txt") << true;
    QTest::newRow("whole name: extension then more")
        << QByteArray("*.txt") << QByteArray("a.txt.bak") << false;
    QTest::newRow("whole name: literal prefix") << QByteArray("a") << QByteArray("ab") << false;
    QTest::newRow("extension alone is a name") << QByteArray("*.txt") << QByteArray(".txt") << true;
    QTest::newRow("upper pattern, lower name")
        << QByteArray("*.TXT") << QByteArray("a.txt") << true;
    QTest::newRow("lower pattern, upper name")
        << QByteArray("*.txt") << QByteArray("A.TXT") << true;
    QTest::newRow("mixed case in the middle")
        << QByteArray("Rap*Port") << QByteArray("rapXXpORT") << true;
    QTest::newRow("question mark is one character")
        << QByteArray("?.txt") << QByteArray("a.txt") << true;
    QTest::newRow("question mark is not two")
        << QByteArray("?.txt") << QByteArray("ab.txt") << false;
    QTest::newRow("question mark is not zero")
        << QByteArray("?.txt") << QByteArray(".txt") << false;
    QTest::newRow("question mark takes one accented letter")
        << QByteArray("?.txt") << QByteArray("\xC3\xA9.txt") << true;
    QTest::newRow("question mark takes one invalid byte")
        << QByteArray("?") << QByteArray("\xFF") << true;
    QTest::newRow("two question marks, one invalid byte")
        << QByteArray("??") << QByteArray("\xFF") << false;
    QTest::newRow("question mark takes a cut sequence byte")
        << QByteArray("a?") << QByteArray("a\xC3") << true;
    QTest::newRow("question marks do not split a sequence")
        << QByteArray("a??") << QByteArray("a\xC3\xA9") << false;
    QTest::newRow("four byte letter is one character")
        << QByteArray("?") << QByteArray("\xF0\x9F\x98\x80") << true;
    QTest::newRow("dot is literal") << QByteArray("a.b") << QByteArray("aXb") << false;
    QTest::newRow("brackets are literal, not a set")
        << QByteArray("[ab].txt") << QByteArray("a.txt") << false;
    QTest::newRow("brackets match themselves")
        << QByteArray("[ab].txt") << QByteArray("[ab].txt") << true;
    QTest::newRow("backslash is literal") << QByteArray("a\\*") << QByteArray("a\\b") << true;
    QTest::newRow("list: second pattern matches")
        << QByteArray("*.txt;*.bmp") << QByteArray("x.bmp") << true;
    QTest::newRow("list: first pattern matches")
        << QByteArray("*.txt;*.bmp") << QByteArray("x.TXT") << true;
    QTest::newRow("list: none matches")
        << QByteArray("*.txt;*.bmp") << QByteArray("x.doc") << false;
    QTest::newRow("list: empty alternatives skipped")
        << QByteArray(";;*.bmp;") << QByteArray("x.bmp") << true;
    QTest::newRow("list: empty alternative matches no name")
        << QByteArray("*.txt;") << QByteArray("x") << false;
    QTest::newRow("empty pattern matches no name") << QByteArray("") << QByteArray("a") << false;
    QTest::newRow("star blank: name ending in blank")
        << QByteArray("* ") << QByteArray("a ") << true;
    QTest::newRow("star blank: ordinary name") << QByteArray("* ") << QByteArray("a.txt") << false;
    QTest::newRow("star blank: blank alone") << QByteArray("* ") << QByteArray(" ") << true;
    QTest::newRow("backtracking to the last star")
        << QByteArray("*ab") << QByteArray("aab") << true;
    QTest::newRow("two stars with retries") << QByteArray("*a*b") << QByteArray("xaybzb") << true;
    QTest::newRow("two stars, missing last letter")
        << QByteArray("*a*b") << QByteArray("xaybzc") << false;
    QTest::newRow("stars at the end match nothing more")
        << QByteArray("a**") << QByteArray("a") << true;
    QTest::newRow("star then question mark") << QByteArray("*?") << QByteArray("") << false;
    QTest::newRow("invalid bytes: star suffix")
        << QByteArray("*.txt") << QByteArray("\xFF\xFE.txt") << true;
    QTest::newRow("invalid byte in pattern matches itself")
        << QByteArray("a\xFF") << QByteArray("a\xFF") << true;
    QTest::newRow("invalid byte differs from another")
        << QByteArray("a\xFF") << QByteArray("a\xFE") << false;
    QTest::newRow("invalid byte differs from replacement char")
        << QByteArray("a\xFF") << QByteArray("a\xEF\xBF\xBD") << false;
    QTest::newRow("accented capital matches small") << QByteArray("\xC3\x89"
                                                                  "cole*")
                                                    << QByteArray("\xC3\xA9"
                                                                  "cole.txt")
                                                    << true;
    QTest::newRow("accented suffix without case")
        << QByteArray("*.\xC3\x89T\xC3\x89") << QByteArray("x.\xC3\xA9t\xC3\xA9") << true;
    QTest::newRow("accent is not the bare letter") << QByteArray("e*")
                                                   << QByteArray("\xC3\xA9"
                                                                 "cole")
                                                   << false;
    QTest::newRow("cyrillic without case")
        << QByteArray("\xD0\x90*") << QByteArray("\xD0\xB0z") << true;
    QTest::newRow("long s is not an ascii s")
        << QByteArray("*s") << QByteArray("a\xC5\xBF") << false;
    QTest::newRow("dotless i is not an ascii i")
        << QByteArray("*I") << QByteArray("a\xC4\xB1") << false;
    QTest::newRow("overlong encoding is bytes")
        << QByteArray("?") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("surrogate encoding is bytes")
        << QByteArray("???") << QByteArray("\xED\xA0\x80") << true;
}

void TestPattern::matching() {
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, name);
    QFETCH(bool, expected);
    QCOMPARE(matchesPattern(view(pattern), view(name)), expected);
    // The prepared form takes shortcuts for common shapes; it must give the same answers.
    QCOMPARE(PatternMatcher(view(pattern)).matches(view(name)), expected);
}

void TestPattern::longPatternsStayIterative() {
    // Many stars that can each take any run: a recursive matcher would run out of stack.
    std::string pattern;
    for (int i = 0; i < 20000; ++i)
        pattern += "*a";
    pattern += "b";
    const std::string name(20000, 'a');
    QVERIFY(!matchesPattern(pattern, name));
    QVERIFY(matchesPattern(pattern, name + "b"));
    QVERIFY(!PatternMatcher(pattern).matches(name));
}

QTEST_GUILESS_MAIN(TestPattern)
#include "tst_pattern.moc"
