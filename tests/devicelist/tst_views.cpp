// The shared views: the row tree view's one-index selection signal and its
// whole-subtree expansion, and the dump view's fixed-pitch page.
#include "dumpview.h"
#include "rowtreeview.h"

#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

class TestViews : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Cleared, or dropped silently by a model reset: listeners hear the
    // selection go, once each time.
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
        view.setCurrentIndex(model.index(2, 0));
        model.clear();
        QCOMPARE(spy.size(), 3); // cleared, selected, reset
        QVERIFY(!spy.at(0).at(0).toModelIndex().isValid() && !spy.at(2).at(0).toModelIndex().isValid());
    }

    void subtreesExpandAndCollapseWhole()
    {
        QStandardItemModel model; // a -> a1 -> a1x -> leaf
        QStandardItem *a = new QStandardItem, *a1 = new QStandardItem, *a1x = new QStandardItem;
        a1x->appendRow(new QStandardItem);
        a1->appendRow(a1x);
        a->appendRow(a1);
        model.appendRow(a);
        RowTreeView view;
        view.setModel(&model);
        const auto expanded = [&view](QStandardItem *item) { return view.isExpanded(item->index()); };
        view.expandSubtree(a1->index());
        QVERIFY(expanded(a1) && expanded(a1x) && !expanded(a));
        view.setCurrentIndex(a->index());
        view.collapseCurrentSubtree();
        QVERIFY(!expanded(a1) && !expanded(a1x));
    }

    void dumpViewIsAReadOnlyFixedPitchPage()
    {
        const QString line(120, QLatin1Char('0'));
        DumpView dump(nullptr, line);
        dump.show();
        QTest::keyClicks(&dump, QStringLiteral("typed"));
        QCOMPARE(dump.toPlainText(), line);
        QCOMPARE(dump.document()->lineCount(), 1); // not wrapped
        const QFontMetrics metrics(dump.font());
        QCOMPARE(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('M')));
        QCOMPARE(dump.sizeHint(), QSize(80 * metrics.horizontalAdvance(QLatin1Char('M')), 24 * metrics.lineSpacing()));
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
