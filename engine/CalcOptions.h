#pragma once
// The calculation options: eleven marks. The marks live in an option store owned by
// whoever shows them (the entry screen's check marks, the batch tool's flags); the run
// reads them where it needs them and changes some of them itself, so CalcOptions holds
// the store by reference rather than a copy.

#include <array>
#include <optional>
#include <string_view>

namespace kalvoren {

enum class Option : int {
    fourCations,
    withoutFourCations,
    fe3Droop,
    fe3Papike,
    fe3Average,
    lindsleyAugite,
    lindsleyPigeonite,
    woEnFsFe2,
    woEnFsFetotMn,
    corFac,
    useMgFeOrder,
};
inline constexpr int kOptionCount = 11;

// The field names, in Option order ("fourCations", ...).
std::string_view optionName(Option o);
std::optional<Option> optionFromName(std::string_view name);

// Where the marks are kept.
class OptionStore {
public:
    virtual ~OptionStore() = default;
    virtual bool isMarked(Option o) const = 0;
    virtual void setMarked(Option o, bool marked) = 0;
};

// A plain store: the batch tool's and the tests'.
class OptionMarks final : public OptionStore {
public:
    bool isMarked(Option o) const override { return marks_[static_cast<int>(o)]; }
    void setMarked(Option o, bool marked) override { marks_[static_cast<int>(o)] = marked; }

private:
    std::array<bool, kOptionCount> marks_{};
};

class CalcOptions {
public:
    explicit CalcOptions(OptionStore& store) : store_(&store) {}

    bool fourCations() const { return marked(Option::fourCations); }
    bool withoutFourCations() const { return marked(Option::withoutFourCations); }
    bool fe3Droop() const { return marked(Option::fe3Droop); }
    bool fe3Papike() const { return marked(Option::fe3Papike); }
    bool fe3Average() const { return marked(Option::fe3Average); }
    bool lindsleyAugite() const { return marked(Option::lindsleyAugite); }
    bool lindsleyPigeonite() const { return marked(Option::lindsleyPigeonite); }
    bool woEnFsFe2() const { return marked(Option::woEnFsFe2); }
    bool woEnFsFetotMn() const { return marked(Option::woEnFsFetotMn); }
    bool corFac() const { return marked(Option::corFac); }
    bool useMgFeOrder() const { return marked(Option::useMgFeOrder); }

    bool marked(Option o) const { return store_->isMarked(o); }
    void setMarked(Option o, bool m) { store_->setMarked(o, m); }

private:
    OptionStore* store_;
};

}  // namespace kalvoren
