// The shared views: the row tree view's single-index selection signal and
// subtree expansion, and the dump view's fixed 80 x 24 text.
#include "dumpview.h"
#include "rowtreeview.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

class TestViews : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every way the selection goes, listeners hear it go, once.
    void selectionIsReportedAsOneIndex()
    {
        QStandardItemModel model(3, 2);
        RowTreeView view;
        view.setModel(&model);
        QSignalSpy spy(&view, qOverload<const QModelIndex &>(&RowTreeView::selectionChanged));
        view.setCurrentIndex(model.index(1, 1));
        QCOMPARE(spy.takeLast().at(0).toModelIndex(), view.selectedIndex());
        QCOMPARE(view.selectedIndex().row(), 1);

        view.clearSelection();
        QCOMPARE(spy.size(), 1);
        QVERIFY(!spy.takeFirst().at(0).toModelIndex().isValid());

        view.setCurrentIndex(model.index(2, 0));
        spy.clear();
        model.clear(); // a model reset: the selection model clears silently
        QCOMPARE(spy.size(), 1);
        QVERIFY(!spy.takeFirst().at(0).toModelIndex().isValid());
    }

    void subtreesExpandAndCollapseWhole()
    {
        // root -> a -> a1 -> a1x, root -> b (a leaf)
        QStandardItemModel model;
        auto *a = new QStandardItem(QStringLiteral("a"));
        auto *a1 = new QStandardItem(QStringLiteral("a1"));
        auto *a1x = new QStandardItem(QStringLiteral("a1x"));
        a1x->appendRow(new QStandardItem(QStringLiteral("leaf")));
        a1->appendRow(a1x);
        a->appendRow(a1);
        model.appendRow(a);
        model.appendRow(new QStandardItem(QStringLiteral("b")));
        RowTreeView view;
        view.setModel(&model);
        const auto expanded = [&view](QStandardItem *item) { return view.isExpanded(item->index()); };

        view.expandSubtree(a1->index());
        QVERIFY(expanded(a1) && expanded(a1x) && !expanded(a));
        view.setCurrentIndex(a->index());
        view.expandCurrentSubtree();
        QVERIFY(expanded(a) && expanded(a1) && expanded(a1x));
        view.collapseCurrentSubtree();
        QVERIFY(!expanded(a) && !expanded(a1) && !expanded(a1x));
    }

    void dumpViewIsAReadOnlyFixedPitchPage()
    {
        DumpView empty(nullptr, QString());
        QVERIFY(empty.toPlainText().isEmpty() && empty.isReadOnly());
        const QFontMetrics metrics(empty.font());
        QCOMPARE(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('M')));
        QCOMPARE(empty.sizeHint(), QSize(80 * metrics.horizontalAdvance(QLatin1Char('M')), 24 * metrics.lineSpacing()));

        const QString line(120, QLatin1Char('0'));
        DumpView dump(nullptr, line);
        dump.show();
        QTest::keyClicks(&dump, QStringLiteral("typed"));
        QCOMPARE(dump.toPlainText(), line);
        QCOMPARE(dump.document()->lineCount(), 1); // not wrapped
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
