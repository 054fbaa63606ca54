#pragma once
// The publication box "J o u r n a l", opened from the About box: the literature of the
// methods the program implements, a publisher line, a pyroxene picture and "Close".

#include <QDialog>
#include <span>

class QLabel;
class QPushButton;

namespace kalvoren {

// One publication and what the program takes from it.
struct MethodPublication {
    const char* shortName;  // "Droop (1987)": how the guide and the menus cite it
    const char* citation;   // the full reference, plain text
    const char* usedFor;    // the program's methods that rest on it
};

// In the order the calculation uses them: classification, formula, thermobarometry,
// diagrams.
std::span<const MethodPublication> methodPublications();

inline constexpr const char* kPublicationCaption = "J o u r n a l";
inline constexpr const char* kPublisherLine =
    "Kalvoren is published by the Kalvoren developers (kalvoren@example.org).";

class Form4 final : public QDialog {
    Q_OBJECT
  public:
    explicit Form4(QWidget* parent);

    QLabel* referenceLabel() const { return label1_; }
    QLabel* publisherLabel() const { return label2_; }
    QLabel* picture() const { return image1_; }
    QPushButton* closeButton() const { return command1_; }

  public Q_SLOTS:
    void Command1_Click();  // "Close"

  private:
    QLabel* label1_;
    QLabel* label2_;
    QLabel* image1_;
    QPushButton* command1_;
};

// Shows the one publication box without making it modal; when it is already open it is
// only brought to the front. The box is not owned by the About box, so closing the
// About box leaves it open.
Form4* showPublicationBox(QWidget* parent);

// The open publication box, or nullptr.
Form4* publicationBox();

}  // namespace kalvoren
