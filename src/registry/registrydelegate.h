// The item delegate of the registry tree: a choice list of the named values
// for Enum values, the password dialog for Password values, and the
// toolkit's own editors for everything else.
//
// The editors it makes itself carry the dynamic property "RegistryDataType"
// (the type code); the Enum list also carries "RegistryEnumType" = true.
#pragma once

#include <QItemDelegate>

class RegistryDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    using QItemDelegate::QItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
};
