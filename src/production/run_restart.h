// What a successful reset does to the production: a finished run starts over;
// an interrupted one goes on with the record the reset interrupted.
#pragma once

namespace corvane {

struct ProductionContext;
class ProductionCycle;

// Window thread, once the reset thread reported success and while every
// production worker is paused. The caller writes the statistics report of a
// finished run first.
void restartAfterReset(ProductionContext& context, ProductionCycle& cycle);

}  // namespace corvane
