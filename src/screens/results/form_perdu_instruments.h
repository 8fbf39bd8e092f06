#pragma once

#include "app/forms/form.h"
#include "app/forms/label.h"

// The lose screen.
class Form_Perdu_instruments : public forms::Form
{
    Q_OBJECT
public:
    Form_Perdu_instruments();
};
