#pragma once
// Delimited text split into records of fields: the catalogue files the
// service imports and the lists a clerk pastes or opens into the basket.
//
// A field that opens with a double quote (after blanks, when they are
// trimmed) runs to its closing quote, across separators and line ends, and
// "" inside it is one quote; text after the closing quote joins the field. A
// quote anywhere else is an ordinary character. A record ends at CR LF, LF
// or CR outside quotes; an empty line is no record.
#include <cstddef>
#include <string>
#include <vector>

namespace tarvik {

struct CsvRules {
  char separator = ',';     // ' ' stands for any run of blanks and tabs
  bool trimBlanks = false;  // blanks and tabs around a field are dropped
};

struct CsvSplit {
  std::vector<std::vector<std::string>> records;
  std::vector<std::size_t> lineOf;  // the line each record starts on, from 1
  bool unclosedQuote = false;       // the last field ran to the end of the text
};

CsvSplit SplitCsv(const std::string& text, const CsvRules& rules = {});

}  // namespace tarvik
