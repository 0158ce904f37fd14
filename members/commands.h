#pragma once
#include "core/app.h"

namespace tessary {

class TFmemtrans;
class TFmemacc;

// The forms the member commands show, made when the program is put together.
struct MemberForms {
    TFmemtrans& memtrans;
    TFmemacc& memacc;
};

// Runs the member command whose code (11 to 21) is in the run state.
void MembersCommand(App& app, const MemberForms& forms);
}  // namespace tessary
