// Progress of several rows at once (units of one gimbal, or one row per port): on a terminal, bars
// redrawn in place; otherwise a plain line each time a row passes a tenth or changes its text. All through
// the checked output.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cradlectl {

class ProgressView {
public:
    ProgressView(std::FILE* out, bool terminal, std::vector<std::string> labels);
    // percent < 0 shows the text alone.
    void update(size_t row, const std::string& text, int percent);
    void finish();
    // A line that stays: printed above the rows, which are drawn again below it, never over it.
    void printAbove(const std::string& text);

private:
    struct Row {
        std::string label, text;
        int percent = -1;
        int reported = -1;   // last tenth printed, plain mode
    };
    std::string line(const Row& row) const;
    void redraw();

    std::FILE* out_;
    bool terminal_;
    std::vector<Row> rows_;
    size_t labelWidth_ = 0;
    bool drawn_ = false;
};

}  // namespace cradlectl
