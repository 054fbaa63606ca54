#pragma once
// The results screen as the entry screen reaches it: created on first use, shown, and
// unloaded when the program exits. The desktop program supplies it.

#include "classification/RunCalculation.h"

namespace kalvoren {

class ResultsScreenLink {
  public:
    virtual ~ResultsScreenLink() = default;
    // The results screen as the calculation run writes to it; loads it first if needed.
    virtual ResultSink& resultSink() = 0;
    // Shows it without making it modal, loading it first if needed.
    virtual void showResultsScreen() = 0;
    virtual void unloadResultsScreen() = 0;
};

}  // namespace kalvoren
