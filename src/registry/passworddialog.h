// Asks for a new password twice; the editor of Password values.
#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

class PasswordDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PasswordDialog(QWidget *parent = nullptr);

    // The text of the first field.
    QString password() const;

public slots:
    // Closes only when both fields hold the same text.
    void accept() override;

private:
    QLabel *m_lbl_password;
    QLineEdit *m_le_password;
    QLabel *m_lbl_verify;
    QLineEdit *m_le_verify;
    QDialogButtonBox *m_buttons;
};
