#include "results/Form8.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/qt/DesktopOpener.h"
#include "platform/qt/Picture.h"
#include "results/Form4.h"

namespace kalvoren {

namespace {

QPointer<Form8> openBox;

}  // namespace

QString aboutMailtoLink(const QDateTime& when) {
    return QStringLiteral("mailto:") + QString::fromLatin1(kAuthorAddress) +
           QStringLiteral("?subject=About Kalvoren") + QStringLiteral("&body=") +
           QStringLiteral("Kalvoren") + QStringLiteral("; ") + when.toString();
}

Form8::Form8(QWidget* parent, DesktopOpener& opener) : QDialog(parent), opener_(&opener) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QString::fromLatin1(kAboutCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setToolTip(QStringLiteral("Spodumene (Kunzite)"));
    image1_->setPixmap(svgPicture(QStringLiteral(":/kalvoren/crystal-spodumene.svg"), {100, 160}));
    image1_->setMinimumSize(100, 160);
    image1_->setAlignment(Qt::AlignCenter);

    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setTextFormat(Qt::PlainText);
    label2_->setText(QString::fromLatin1(kAboutNameVersion) + QLatin1Char('\n') +
                     QString::fromLatin1(kAuthorLine) + QLatin1Char('\n') +
                     QString::fromLatin1(kAuthorAddress));
    label2_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont nameFont = label2_->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.2);
    label2_->setFont(nameFont);

    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setTextFormat(Qt::PlainText);
    label1_->setWordWrap(true);
    label1_->setText(QString::fromLatin1(kAboutDescription));
    label1_->setMinimumWidth(360);

    mailNote_ = new QLabel(this);
    mailNote_->setObjectName(QStringLiteral("lblMailNote"));
    mailNote_->setWordWrap(true);
    mailNote_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mailNote_->hide();

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::StyledPanel);
    auto* text = new QVBoxLayout;
    text->addWidget(label2_);
    text->addWidget(line1);
    text->addWidget(label1_, 1);
    text->addWidget(mailNote_);
    auto* frameLayout = new QHBoxLayout(frame1);
    frameLayout->addWidget(image1_);
    frameLayout->addLayout(text, 1);

    command1_ = new QPushButton(QStringLiteral("OK"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setToolTip(QStringLiteral("Close"));
    command1_->setDefault(true);
    command2_ = new QPushButton(QStringLiteral("E-mail"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setToolTip(QStringLiteral("Send e-mail to author"));
    command3_ = new QPushButton(QStringLiteral("Published in"), this);
    command3_->setObjectName(QStringLiteral("Command3"));
    connect(command1_, &QPushButton::clicked, this, &Form8::Command1_Click);
    connect(command2_, &QPushButton::clicked, this, &Form8::Command2_Click);
    connect(command3_, &QPushButton::clicked, this, &Form8::Command3_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);
    buttons->addWidget(command3_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame1, 1);
    layout->addLayout(buttons);
}

void Form8::Command1_Click() {
    close();
}

void Form8::Command2_Click() {
    // The link goes out as the user would type it; QUrl encodes the blanks of the date.
    const QUrl link(aboutMailtoLink(QDateTime::currentDateTime()), QUrl::TolerantMode);
    if (opener_->open(link)) {
        mailNote_->hide();
        return;
    }
    // Without an e-mail program nothing would happen at all: give the address instead.
    mailNote_->setText(QStringLiteral("No e-mail program is set up on this desktop. Please "
                                      "write to ") +
                       QString::fromLatin1(kAuthorAddress) + QLatin1Char('.'));
    mailNote_->show();
}

void Form8::Command3_Click() {
    // Owned by the screen, not by this box, so it stays when the About box is closed.
    showPublicationBox(parentWidget());
}

void showAboutBox(QWidget* parent, DesktopOpener& opener) {
    // An open box keeps the opener it was made with: that one lives as long as the
    // box's owner.
    if (openBox.isNull()) openBox = new Form8(parent, opener);
    openBox->show();
    openBox->raise();
    openBox->activateWindow();
}

Form8* aboutBox() {
    return openBox.data();
}

}  // namespace kalvoren
