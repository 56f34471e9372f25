#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Results that could not be written: no space left, a closed pipe, a file that cannot be
// opened. The run stops at once, so nothing more goes to the board for a row nobody gets.
struct OutputFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Where a subcommand's results go: standard output, or a file they are appended to. Every row
// goes out whole in one write and is checked at once, so an interrupted run never leaves a row
// cut short and a lost row is never passed over.
class Output {
public:
    // Standard output.
    explicit Output(bool csv);
    // The file at path, the rows appended to what it holds (created when missing). A file that
    // already holds rows gets no second header. Throws OutputFailed.
    Output(const std::string& path, bool csv);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    bool csv() const { return csv_; }

    // The columns of the rows that follow ("code,count"), printed as the CSV header or as the
    // names spaced out. Within a table they only say where the rows' values go.
    // With CSV, the provenance comment lines go before it, even where the header itself is
    // left out.
    void header(std::string_view columns, const std::string& provenance = {});
    // One row of values: CSV with commas, else separated by two spaces.
    void row(const std::vector<std::string>& values);
    // Text as it is (a JSON object, a summary that is the result).
    void text(std::string_view text);
    // A summary beside the rows: on standard error when the rows are CSV, so the table stays
    // one table, else after them.
    void summary(std::string_view text);

    // From here on one CSV table: a header of "line,subcommand" and the union of the column
    // sets, and every row under it, its values in the columns of the same name and the others
    // left empty.
    void startTable(const std::vector<std::string_view>& columnSets);
    // The batch line and subcommand the next rows come from.
    void atLine(int number, std::string_view subcommand);

private:
    void write(const std::string& text);

    int fd_;
    std::string name_;  // for messages: "standard output" or the file's path
    bool csv_;
    bool skipHeader_ = false;                // a file that held something already has its header
    std::vector<std::string> tableColumns_;  // empty until a table starts
    std::vector<std::size_t> placeInTable_;  // of each column of the current rows
    std::string linePrefix_;
};
