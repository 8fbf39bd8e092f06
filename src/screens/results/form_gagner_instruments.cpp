#include "form_gagner_instruments.h"

Form_gagner_instruments::Form_gagner_instruments()
    : Form(QStringLiteral("Form_gagner_instruments"), 12000, 9000)
{
}
