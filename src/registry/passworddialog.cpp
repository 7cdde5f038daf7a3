#include "passworddialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace {

QLineEdit *passwordEdit(QWidget *parent, const QString &objectName)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setMinimumWidth(300);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

} // namespace

PasswordDialog::PasswordDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Enter Password"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/i16_password.png")));
    resize(389, 121);

    auto *verticalLayout = new QVBoxLayout(this);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    auto *formLayout = new QFormLayout();
    formLayout->setObjectName(QStringLiteral("formLayout"));

    m_lbl_password = new QLabel(tr("Password:"), this);
    m_lbl_password->setObjectName(QStringLiteral("m_lbl_password"));
    m_le_password = passwordEdit(this, QStringLiteral("m_le_password"));
    formLayout->addRow(m_lbl_password, m_le_password);

    m_lbl_verify = new QLabel(tr("Verify:"), this);
    m_lbl_verify->setObjectName(QStringLiteral("m_lbl_verify"));
    m_le_verify = passwordEdit(this, QStringLiteral("m_le_verify"));
    formLayout->addRow(m_lbl_verify, m_le_verify);

    verticalLayout->addLayout(formLayout);
    verticalLayout->addItem(new QSpacerItem(20, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    m_buttons->setObjectName(QStringLiteral("m_buttons"));
    verticalLayout->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &PasswordDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &PasswordDialog::reject);
}

QString PasswordDialog::password() const
{
    return m_le_password->text();
}

void PasswordDialog::accept()
{
    if (m_le_password->text() == m_le_verify->text()) {
        QDialog::accept();
        return;
    }
    QMessageBox::warning(this, windowTitle(),
                         tr("Please enter the password twice to make sure it has been entered correctly."),
                         QMessageBox::Ok);
}
