// Placeholder while the congruence calculations are being written.
#include "app/form.hpp"

namespace varnel::app {
void Form::VScroll4_Change() {}
void Form::CalcArea_Click() {}
void Form::CalcSlope_Click() {}
void Form::CalcCorrelation_Click() {}
void Form::Quil_Tesk_Click() {}
}  // namespace varnel::app
