// Placeholder while the result files are being written.
#include "app/form.hpp"

namespace varnel::app {
void Form::filesave_Click() {}
void Form::normexport_Click() {}
}  // namespace varnel::app
