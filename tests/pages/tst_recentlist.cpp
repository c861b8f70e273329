// SPDX-License-Identifier: GPL-3.0-or-later
// Recent List rules and Smart Address Splitting, on plain lists and texts.

#include "query/AddressSplitting.h"
#include "settings/RecentList.h"

#include <QTest>

using namespace netsonde;

class TestRecentList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("two") << "a;b;" << QStringList{"a", "b"};
        QTest::newRow("leading separator") << ";a;b;" << QStringList{};
        QTest::newRow("empty entry in the middle") << "ant;bee;;cat;" << QStringList{"ant", "bee"};
        QTest::newRow("no final separator") << "ant;bee" << QStringList{"ant", "bee"};
        QTest::newRow("more than ten") << "1;2;3;4;5;6;7;8;9;10;11;12;"
                                       << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
        QTest::newRow("spaces kept") << " a ; b;" << QStringList{" a ", " b"};
    }

    void parse()
    {
        QFETCH(QString, stored);
        QTEST(RecentList::Parse(stored), "entries");
    }

    void formatAndHostWithSeparator()
    {
        QCOMPARE(RecentList::Format({}), QString());
        QCOMPARE(RecentList::Format({"a", "b"}), QStringLiteral("a;b;"));
        // A host typed with ";" is saved as typed and comes back as two entries.
        QCOMPARE(RecentList::Parse(RecentList::Format({"x;y", "z"})), (QStringList{"x", "y", "z"}));
    }

    // An entry already present (in any case) moves to the top as typed;
    // only a list of exactly ten loses its last entry, so a longer
    // hand-edited one keeps all of them.
    void add_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("expected");
        QTest::newRow("present in other case") << "one;two;Three;four;" << "THREE" << "THREE;one;two;four;";
        QTest::newRow("present") << "one;two;Three;four;" << "one" << "one;two;Three;four;";
        QTest::newRow("new, ten") << "1;2;3;4;5;6;7;8;9;10;" << "new" << "new;1;2;3;4;5;6;7;8;9;";
        QTest::newRow("present, ten") << "1;2;3;4;5;6;7;8;9;10;" << "9" << "9;1;2;3;4;5;6;7;8;10;";
        QTest::newRow("new, twelve") << "1;2;3;4;5;6;7;8;9;10;11;12;" << "x" << "x;1;2;3;4;5;6;7;8;9;10;11;12;";
    }

    void add()
    {
        QFETCH(QString, stored);
        QFETCH(QString, added);
        QStringList entries = RecentList::Parse(stored);
        RecentList::Add(entries, added);
        QTEST(RecentList::Format(entries), "expected");
    }

    void prefixMatchAndSort()
    {
        const QStringList entries{"mail.example.org", "Example.net", "example.com"};
        QCOMPARE(RecentList::FindEntryStartingWith(entries, QStringLiteral("example")), 1);
        QCOMPARE(RecentList::FindEntryStartingWith(entries, QStringLiteral("example.c")), 2);
        QCOMPARE(RecentList::FindEntryStartingWith(entries, QStringLiteral("nothing")), -1);

        QStringList whois{"rs.example", "Alpha.example", "beta.example"};
        RecentList::SortAlphabetically(whois);
        QCOMPARE(whois, (QStringList{"Alpha.example", "beta.example", "rs.example"}));
    }

    void splitAtFirstAt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("user"); // "none" when the text is not divided
        QTest::addColumn<QString>("host");
        QTest::newRow("user at host") << "ann@bob" << "ann" << "bob";
        QTest::newRow("two at signs") << "ann@bob@cat" << "ann" << "bob@cat";
        QTest::newRow("bracketed IPv6") << "ann@[2001:db8::1]" << "ann" << "[2001:db8::1]";
        QTest::newRow("bare IPv6") << "ann@2001:db8::1" << "ann" << "2001:db8::1";
        QTest::newRow("leading at") << "@example" << "" << "example";
        QTest::newRow("trailing at") << "john@" << "john" << "";
        QTest::newRow("no at") << "host" << "none" << "none";
    }

    void splitAtFirstAt()
    {
        QFETCH(QString, text);
        const auto parts = SplitAtFirstAt(text);
        QTEST(parts ? parts->user : QString("none"), "user");
        QTEST(parts ? parts->host : QString("none"), "host");
    }
};

QTEST_GUILESS_MAIN(TestRecentList)
#include "tst_recentlist.moc"
