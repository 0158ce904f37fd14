#pragma once
#include "core/app.h"

namespace tessary {

class TFnomacc;
class TFnomtrans;
class TFbank;

// The forms the nominal commands show, made when the program is put together.
struct NominalForms {
    TFnomacc& nomacc;
    TFnomtrans& nomtrans;
    TFbank& bank;
};

// Runs the nominal command whose code (21 to 25) is in the run state.
void NominalCommand(App& app, const NominalForms& forms);
}  // namespace tessary
