#pragma once

#include <ctime>
#include <string>
#include <string_view>

// The names the plot window offers and gives its saved files.

// "sweep-2026-12-08-1430.csv": what is saved, when (local time, to the minute) and its suffix,
// so one day's saves stand apart and in order.
std::string datedFileName(std::string_view what, const std::tm& local, std::string_view suffix);

// path with ".suffix" added when its file name has no suffix of its own.
std::string withSuffix(const std::string& path, std::string_view suffix);
