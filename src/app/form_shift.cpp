// Placeholder while shifting and the slopes chart are being written.
#include "app/form.hpp"

namespace varnel::app {
void Form::VScroll3_Change() {}
void Form::Shift1_Click() {}
void Form::Shift2_Click() {}
void Form::SlopeChart_Click() {}
void Form::shiftFile(int) {}
}  // namespace varnel::app
