#pragma once

#include "app/forms/form.h"
#include "app/forms/label.h"

// The win screen.
class Form_gagner_instruments : public forms::Form
{
    Q_OBJECT
public:
    Form_gagner_instruments();
};
