#pragma once
// The comparison the window shows, gathered for a one-page report.
#include <string>

#include "app/form.hpp"
#include "output/report.hpp"

namespace varnel::app {

// The report of what the form's boxes, captions and bars hold now, dated
// `dateTime`. Reads the form only.
output::Report reportOf(const Form& form, const std::string& dateTime);

// The result boxes, row by row, in the window's column order.
output::ResultGrid resultGrid(const Form& form);

// The local date and time, "2024-03-05 14:07".
std::string localDateTime();

}  // namespace varnel::app
