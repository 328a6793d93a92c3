#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

// The about box: shows the version, closes on "OK" or when another window of the program becomes active, and
// deletes itself when closed.
class frmAbout : public QWidget
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    // All three numbers with points between them: 2, 3, 11 gives "2.3.11".
    static QString versionText(int major, int minor, int revision);

    void Command1_Click();
    void Form_Deactivate();

private:
    void Form_Load();

    QLabel *lblV = nullptr;
    QLabel *lblVERSION = nullptr;
    QPushButton *Command1 = nullptr;
};
