#include "form_perdu_instruments.h"

Form_Perdu_instruments::Form_Perdu_instruments()
    : Form(QStringLiteral("Form_Perdu_instruments"), 12000, 9000)
{
}
