#include "core/dates.h"
#include "core/forms/app.h"
#include "members/forms/commands.h"

namespace tessary {

void CopyNameAndAddress(App& app) {
    const MemberRecord& m = app.state.Member;
    std::string text;
    for (const auto* field :
         {&m.Name, &m.Address1, &m.Address2, &m.Address3, &m.Address4, &m.Address5}) {
        text += field->str() + "\r\n";
    }
    text += "\r\n" + FormatLongDate(app.Today()) + "\r\n";
    app.ui.services().SetClipboardText(text);
}

}  // namespace tessary
