#pragma once
// The system clipboard as the Edit commands use it: clear, put plain text, get plain
// text. A clipboard that cannot be reached raises CommandError 521.

#include <string>

namespace kalvoren {

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    virtual void setText(const std::string& utf8) = 0;
    virtual std::string text() = 0;
};

class QtClipboard final : public Clipboard {
  public:
    void clear() override;
    void setText(const std::string& utf8) override;
    std::string text() override;
};

}  // namespace kalvoren
