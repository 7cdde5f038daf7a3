#include "registrynewitemdialog.h"

#include "digits.h"
#include "store.h"
#include "tagmap.h"
#include "valuetypes.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// By tag; of one tag, the section first, then the values by type code.
bool listedBefore(uint32_t a, uint32_t b)
{
    if (zn::reg_tag_of(a) != zn::reg_tag_of(b))
        return zn::reg_tag_of(a) < zn::reg_tag_of(b);
    if (zn::reg_is_section_key(a) != zn::reg_is_section_key(b))
        return zn::reg_is_section_key(a);
    return a < b;
}

// "0x" and eight hexadecimal digits at the start of text; what follows them
// does not count. 0 when the text does not start so.
uint32_t typedKey(const QString &text)
{
    if (text.size() < 10 || text.at(0) != QLatin1Char('0') || text.at(1).toLower() != QLatin1Char('x'))
        return 0;
    uint32_t key = 0;
    for (qsizetype i = 2; i < 10; ++i) {
        const int digit = digitValue(text.at(i), 16);
        if (digit < 0)
            return 0;
        key = key << 4 | uint32_t(digit);
    }
    return key;
}

} // namespace

RegistryNewItemDialog::RegistryNewItemDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Add item"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/i16_zentra.png")));
    resize(400, 140);

    auto *verticalLayout = new QVBoxLayout(this);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Minimum, QSizePolicy::Fixed));

    auto *layout0 = new QHBoxLayout();
    layout0->setObjectName(QStringLiteral("m_layout0"));
    m_lbl_tag = new QLabel(tr("Type:"), this);
    m_lbl_tag->setObjectName(QStringLiteral("m_lbl_tag"));
    m_cb_tag = new QComboBox(this);
    m_cb_tag->setObjectName(QStringLiteral("m_cb_tag"));
    m_cb_tag->setEditable(true);
    m_cb_tag->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout0->addWidget(m_lbl_tag);
    layout0->addWidget(m_cb_tag, 1);
    verticalLayout->addLayout(layout0);
    verticalLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Minimum, QSizePolicy::Expanding));

    auto *layout1 = new QHBoxLayout();
    layout1->setObjectName(QStringLiteral("m_layout1"));
    layout1->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_pb_ok = new QPushButton(tr("Ok"), this);
    m_pb_ok->setObjectName(QStringLiteral("m_pb_ok"));
    m_pb_ok->setDefault(true);
    m_pb_ok->setEnabled(false);
    m_pb_cancel = new QPushButton(tr("Cancel"), this);
    m_pb_cancel->setObjectName(QStringLiteral("m_pb_cancel"));
    layout1->addWidget(m_pb_ok);
    layout1->addWidget(m_pb_cancel);
    verticalLayout->addLayout(layout1);

    connect(m_pb_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pb_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_cb_tag, &QComboBox::editTextChanged, this, &RegistryNewItemDialog::updateAcceptable);
    connect(m_cb_tag, &QComboBox::activated, this, &RegistryNewItemDialog::updateAcceptable);
}

void RegistryNewItemDialog::setTagMap(const TagMap *tagMap)
{
    m_cb_tag->clear();
    if (!tagMap)
        return;
    QList<uint32_t> keys = tagMap->entries().keys();
    std::sort(keys.begin(), keys.end(), listedBefore);
    for (uint32_t key : keys) {
        m_cb_tag->addItem(tagMap->iconFor(key),
                          hexKeyText(key) + QStringLiteral(" - ") + tagMap->entries().value(key).name, uint(key));
    }
}

uint32_t RegistryNewItemDialog::selectedKey() const
{
    const int current = m_cb_tag->currentIndex();
    if (current >= 0 && m_cb_tag->itemText(current) == m_cb_tag->currentText()) {
        bool ok = false;
        const uint32_t key = m_cb_tag->itemData(current).toUInt(&ok);
        if (ok && zn::reg_tag_of(key) != 0)
            return key;
    }
    const uint32_t key = typedKey(m_cb_tag->currentText().trimmed());
    return zn::reg_tag_of(key) != 0 ? key : 0;
}

void RegistryNewItemDialog::updateAcceptable()
{
    m_pb_ok->setEnabled(selectedKey() != 0);
}
