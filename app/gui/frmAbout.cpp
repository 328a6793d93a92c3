#include "app/gui/frmAbout.h"

#include "app/windows/ProgramWindows.h"
#include "app/windows/Twips.h"

#include <QLabel>
#include <QPushButton>

frmAbout::frmAbout(QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    new DeactivationWatch(this, [this] { Form_Deactivate(); });
    setWindowTitle(QStringLiteral("About"));

    lblV = new QLabel(QStringLiteral("[DWX Tavrel Translator] Version:"), this);
    lblV->setObjectName(QStringLiteral("lblV"));
    lblV->setGeometry(TwipsRect(this, 180, 1170, 6045, 285));
    lblVERSION = new QLabel(this);
    lblVERSION->setObjectName(QStringLiteral("lblVERSION"));
    lblVERSION->setGeometry(TwipsRect(this, 5460, 1200, 765, 285));
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(TwipsRect(this, 5730, 150, 795, 465));
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    Form_Load();
}

QString frmAbout::versionText(int major, int minor, int revision)
{
    return QString::number(major) + QLatin1Char('.') + QString::number(minor) + QLatin1Char('.') +
           QString::number(revision);
}

void frmAbout::Form_Load()
{
    setFixedSize(Twips(this, 6645), Twips(this, 3200));
    lblVERSION->setText(versionText(TAVREL_VERSION_MAJOR, TAVREL_VERSION_MINOR, TAVREL_VERSION_PATCH));
}

void frmAbout::Command1_Click()
{
    close();
}

void frmAbout::Form_Deactivate()
{
    close();
}
