// The hidden form that holds the twelve template pictures. Picture n belongs to region template n; magenta
// marks the pixels outside the template's region. The form is loaded on first access and never shown.
#pragma once

#include <array>

#include "platform/forms.h"

namespace toolkit {

class frm_RGN_Picture : public platform::Form {
  public:
    frm_RGN_Picture();
    std::array<platform::Picture, 12> pPicture;
};

// The loaded picture form, loading it first when it is not (again after an unload).
frm_RGN_Picture& RGN_Pictures();

}  // namespace toolkit
