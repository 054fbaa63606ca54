#pragma once
// The About box "A b o u t": name, version and contact, the program's description, and
// buttons to close it, write an e-mail to the authors and show the publication box.

#include <QDateTime>
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace kalvoren {

class DesktopOpener;

inline constexpr const char* kAboutCaption = "A b o u t";
inline constexpr const char* kAuthorLine = "The Kalvoren developers";
inline constexpr const char* kAuthorAddress = "kalvoren@example.org";
// Label2: the name and the version on one line, then the authors and their address.
inline constexpr const char* kAboutNameVersion = "Kalvoren   Version 1.07";
// Label1, every blank as the program has always shown it.
inline constexpr const char* kAboutDescription =
    "     Kalvoren  estimates electron-microprobe and wet-chemical  pyroxene analyses.  The "
    "program  allocates  calculated anions into the T-M1-M2 sites and classifies pyroxenes  "
    "according to the IMA report (1988).  It is developed to estimate end-members, molar "
    "fractions, end-member activities, components and activities, single-clinopyroxene and "
    "two-pyroxene thermobarometers, as well as graphical two-pyroxene thermometers. ";

// "mailto:" + address + "?subject=About Kalvoren&body=Kalvoren; " + the date and time in
// Qt's default text form. Nothing is percent-encoded here; QUrl encodes what it must
// when the link is handed to the desktop.
QString aboutMailtoLink(const QDateTime& when);

class Form8 final : public QDialog {
    Q_OBJECT
  public:
    Form8(QWidget* parent, DesktopOpener& opener);

    QLabel* nameLabel() const { return label2_; }
    QLabel* descriptionLabel() const { return label1_; }
    QLabel* picture() const { return image1_; }
    // Shown only when no e-mail program took the link.
    QLabel* mailNote() const { return mailNote_; }
    QPushButton* okButton() const { return command1_; }
    QPushButton* mailButton() const { return command2_; }
    QPushButton* publishedInButton() const { return command3_; }

  public Q_SLOTS:
    void Command1_Click();  // "OK": close the box
    void Command2_Click();  // "E-mail"
    void Command3_Click();  // "Published in"

  private:
    DesktopOpener* opener_;
    QLabel* label1_;
    QLabel* label2_;
    QLabel* image1_;
    QLabel* mailNote_;
    QPushButton* command1_;
    QPushButton* command2_;
    QPushButton* command3_;
};

// Shows the one About box without making it modal; choosing About again while it is
// open only brings it to the front. `opener` must live as long as `parent`, which owns
// the box.
void showAboutBox(QWidget* parent, DesktopOpener& opener);

// The open About box, or nullptr.
Form8* aboutBox();

}  // namespace kalvoren
