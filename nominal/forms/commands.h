#pragma once
#include "core/forms/app.h"

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

// The menu's "Total Transactions": lists the batch (report 24), totals it, offers the list.
void TotalNominalTransactions(App& app);
// The menu's "Post Transactions": requires a fresh total, asks, posts under the update lock.
void PostNominalTransactions(App& app);

}  // namespace tessary
