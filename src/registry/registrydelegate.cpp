#include "registrydelegate.h"

#include "digits.h"
#include "passworddialog.h"
#include "registrymodel.h"
#include "tagmap.h"
#include "valuetypes.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

const char kDataTypeProperty[] = "RegistryDataType";
const char kEnumProperty[] = "RegistryEnumType";

QComboBox *enumChoiceList(QWidget *parent, const TagMapEntry &entry)
{
    auto *list = new QComboBox(parent);
    for (const TagMapValue &value : entry.values)
        list->addItem(TagMap::valueText(value) + QStringLiteral(" - ") + value.name, int(value.key));
    list->setEditable(true);
    list->setFrame(false);
    list->setProperty(kEnumProperty, true);
    return list;
}

uint dataTypeOf(const QWidget *editor)
{
    return editor->property(kDataTypeProperty).toUInt();
}

// The number at the start of a choice's text ("2 - Static", "0x1F - ..."):
// hexadecimal after "0x", else decimal, up to the first other character; 0
// when there is none. Larger numbers stay at the largest 32-bit one.
uint leadingNumber(const QString &text)
{
    const bool hex = text.startsWith(QLatin1String("0x"));
    const int base = hex ? 16 : 10;
    quint64 number = 0;
    for (qsizetype i = hex ? 2 : 0; i < text.size() && digitValue(text.at(i), base) >= 0; ++i)
        number = qMin<quint64>(number * base + quint64(digitValue(text.at(i), base)), 0xFFFFFFFFu);
    return uint(number);
}

} // namespace

QWidget *RegistryDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    if (!index.isValid() || !index.internalPointer())
        return nullptr;
    const uint key = index.data(RegistryModel::KeyRole).toUInt();
    const auto *model = qobject_cast<const RegistryModel *>(index.model());
    QWidget *editor = nullptr;
    if (key != 0 && model) {
        const TagMapEntry *entry = model->tagMap() ? model->tagMap()->find(key) : nullptr;
        if (valueTypeOf(key) == ValueType::Enum && entry) {
            editor = enumChoiceList(parent, *entry);
        } else if (valueTypeOf(key) == ValueType::Password) {
            editor = new PasswordDialog(parent);
        }
    }
    if (!editor)
        return QItemDelegate::createEditor(parent, option, index);
    editor->setProperty(kDataTypeProperty, uint(valueTypeOf(key)));
    return editor;
}

void RegistryDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    switch (dataTypeOf(editor)) {
    case ValueType::Enum: {
        auto *list = static_cast<QComboBox *>(editor);
        const int value = index.data(Qt::EditRole).toInt();
        const int choice = list->findData(value);
        if (choice >= 0)
            list->setCurrentIndex(choice);
        else
            list->setEditText(QString::number(value));
        list->lineEdit()->selectAll();
        break;
    }
    case ValueType::Password:
        break; // the dialog starts empty
    default:
        QItemDelegate::setEditorData(editor, index);
    }
}

void RegistryDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    switch (dataTypeOf(editor)) {
    case ValueType::Enum:
        model->setData(index, leadingNumber(static_cast<QComboBox *>(editor)->currentText()), Qt::EditRole);
        break;
    case ValueType::Password: {
        const auto *dialog = static_cast<PasswordDialog *>(editor);
        if (dialog->result() == QDialog::Accepted)
            model->setData(index, dialog->password(), Qt::EditRole);
        break;
    }
    default:
        QItemDelegate::setModelData(editor, model, index);
    }
}
