// The "Add item" window: the key of a new registry item, picked from the
// keys of the tag map or typed as "0x" and eight hexadecimal digits (any key,
// known to the map or not; its type code decides what kind of item it is).
#pragma once

#include <QDialog>

#include <cstdint>

class QComboBox;
class QLabel;
class QPushButton;
class TagMap;

class RegistryNewItemDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RegistryNewItemDialog(QWidget *parent = nullptr);

    // Lists the map's keys by tag, a section before the values of its tag.
    void setTagMap(const TagMap *tagMap);
    // The key to add; 0 while the text names none.
    uint32_t selectedKey() const;

public slots:
    // "Ok" is enabled exactly while there is a key to add.
    void updateAcceptable();

private:
    QLabel *m_lbl_tag;
    QComboBox *m_cb_tag;
    QPushButton *m_pb_ok;
    QPushButton *m_pb_cancel;
};
