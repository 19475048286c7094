#pragma once
// The Kelvin calculator's conversions as plain functions: reading the three
// entry fields of one notation, refusing input that is not a number or
// makes no colour (and saying why), converting through the colour library,
// and the text of every field for a converted colour.

#include "measurement.h"

#include <QString>
#include <QStringList>

#include <array>

enum class KelvinNotation { xyY, Temperature, UpVp, Wavelength, RGB, XYZ, HSV, Lab };

// Every field of the calculator, in group order.
enum KelvinField {
    FieldX,
    FieldYxyz,
    FieldZ, // XYZ
    Fieldx,
    Fieldy,
    FieldYxy, // xy
    FieldUp,
    FieldVp,
    FieldYuv, // u'v'
    FieldK,
    FieldKduv,
    FieldYK, // colour temperature
    FieldNm,
    FieldNmduv,
    FieldYnm, // dominant wavelength
    FieldR,
    FieldG,
    FieldB, // RGB of the gamut standard
    FieldH,
    FieldS,
    FieldV, // HSV
    FieldL,
    FieldA,
    FieldLabB, // L*a*b*
    FieldLchL,
    FieldC,
    FieldHue, // LCh (shown only)
    kelvinFieldCount
};

// The three entry fields a notation is read from, in its order.
std::array<KelvinField, 3> notationFields(KelvinNotation notation);

struct KelvinEntry {
    bool ok = false;
    Measurement m;
    QString reason; // why it was refused, one sentence
};

// fields: the three texts of the notation. Luminance fields are in the
// display unit (foot-lamberts when nits is false) and may end in their unit.
KelvinEntry convertKelvinEntry(KelvinNotation notation, const QStringList &fields, bool nits,
                               const GamutSpec &spec);

// Every field's text for a colour: shortest general numbers, the luminance
// fields followed by the unit word, X, Y, Z in foot-lamberts when nits is
// false.
std::array<QString, kelvinFieldCount> kelvinTexts(const Measurement &m, bool nits);

// The hidden-mode words typed into the X field of the XYZ group.
enum class HiddenWord { None, Factory, Beta, Clear };
HiddenWord hiddenWord(const QString &text);
// Stores (or, for Clear, removes) the hidden-mode keys.
void applyHiddenWord(HiddenWord word, const QString &text);
