#include "cli/Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "measure/ResultTables.h"

namespace {

std::vector<std::string> columnNames(std::string_view columns) {
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= columns.size();) {
        const std::size_t comma = std::min(columns.find(',', start), columns.size());
        names.emplace_back(columns.substr(start, comma - start));
        start = comma + 1;
    }
    return names;
}

std::string failure(const std::string& doing, int error) {
    return doing + ": " + std::strerror(error);
}

}  // namespace

Output::Output(bool csv) : fd_(STDOUT_FILENO), name_("standard output"), csv_(csv) {}

Output::Output(const std::string& path, bool csv)
    : fd_(::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666)),
      name_(path),
      csv_(csv) {
    // A FIFO or a device would block the run or swallow the rows: only a regular file. Opened
    // for reading too, so the end of what it holds can be checked.
    const std::string notRegular = "cannot write the rows to " + path + ": not a regular file";
    if (fd_ < 0) throw OutputFailed(failure("cannot open " + path, errno));
    struct stat file {};
    if (::fstat(fd_, &file) != 0 || !S_ISREG(file.st_mode)) {
        ::close(fd_);
        throw OutputFailed(notRegular);
    }
    // Opened without blocking so a FIFO could not hold the open up; writes may block again.
    ::fcntl(fd_, F_SETFL, O_APPEND);
    skipHeader_ = file.st_size > 0;
    // A row cut short by an earlier run (a full disk, a crash) would take this run's first row
    // into it.
    char last = '\n';
    if (skipHeader_ && ::pread(fd_, &last, 1, file.st_size - 1) == 1 && last != '\n') {
        std::fprintf(stderr,
                     "xt4830ctl: %s ends in a row cut short; the new rows start on a line "
                     "of their own\n",
                     path.c_str());
        write("\n");
    }
}

Output::~Output() {
    if (fd_ != STDOUT_FILENO) ::close(fd_);
}

void Output::header(std::string_view columns, const std::string& provenance) {
    if (csv_) write(provenance);
    if (!tableColumns_.empty()) {
        placeInTable_.clear();
        for (const std::string& name : columnNames(columns)) {
            const auto at = std::find(tableColumns_.begin(), tableColumns_.end(), name);
            placeInTable_.push_back(static_cast<std::size_t>(at - tableColumns_.begin()));
        }
        return;
    }
    if (skipHeader_) return;
    write(joined(columnNames(columns), csv_ ? "," : "  ") + "\n");
}

void Output::row(const std::vector<std::string>& values) {
    if (tableColumns_.empty()) {
        write(joined(values, csv_ ? "," : "  ") + "\n");
        return;
    }
    std::vector<std::string> cells(tableColumns_.size());
    for (std::size_t i = 0; i < values.size() && i < placeInTable_.size(); ++i) {
        if (placeInTable_[i] < cells.size()) cells[placeInTable_[i]] = values[i];
    }
    write(linePrefix_ + joined(cells, ",") + "\n");
}

void Output::text(std::string_view text) {
    write(std::string(text));
}

void Output::summary(std::string_view text) {
    if (csv_) {
        std::fprintf(stderr, "%.*s", static_cast<int>(text.size()), text.data());
        return;
    }
    write(std::string(text));
}

void Output::startTable(const std::vector<std::string_view>& columnSets) {
    std::vector<std::string> columns;
    for (const std::string_view set : columnSets) {
        for (const std::string& name : columnNames(set)) {
            if (std::find(columns.begin(), columns.end(), name) == columns.end())
                columns.push_back(name);
        }
    }
    // Rows go into the table only once its header is out.
    write("line,subcommand," + joined(columns, ",") + "\n");
    tableColumns_ = std::move(columns);
}

void Output::atLine(int number, std::string_view subcommand) {
    linePrefix_ = std::to_string(number) + "," + std::string(subcommand) + ",";
}

void Output::write(const std::string& text) {
    std::string_view rest = text;
    while (!rest.empty()) {
        const ssize_t written = ::write(fd_, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) throw OutputFailed(failure("cannot write the results to " + name_, errno));
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
}
