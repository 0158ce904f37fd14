#pragma once
#include "core/app.h"

namespace tessary {

class TFmemtrans;
class TFmemacc;
class TFfindno;

// The forms the member commands show, made when the program is put together.
struct MemberForms {
    TFmemtrans& memtrans;
    TFmemacc& memacc;
    TFfindno& findno;
};

// Runs the member command whose code (11 to 21) is in the run state.
void MembersCommand(App& app, const MemberForms& forms);
}  // namespace tessary
