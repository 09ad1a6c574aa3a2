// Synthesis data entry: the cross-sections of the four line kinds, the design
// data (configuration, FC1, ripple, section count or skirt, Zo) and the
// storage question that ends every path of the dialog.
#include <cmath>

#include "base/convert.h"
#include "dialog/dialog_run.h"
#include "line/impedance.h"
#include "synthesis/passband.h"
#include "synthesis/section_count.h"

namespace mx {
namespace {

const Format& inner_not_smaller() {
  static const Format k(
      "(/,6X,'INNER conductor dimension must be smaller',/,6X,'than OUTER conductor "
      "dimension.',/)");
  return k;
}
const Format& reenter_inner() {
  static const Format k("(6X,'Please re-enter INNER conductor dimension : ')");
  return k;
}
const Format& inner_prompt() {
  static const Format k("(11X,'  -Inner Cond. Diameter (D),Inches = ')");
  return k;
}

}  // namespace

const Format& outer_prompt() {
  static const Format k("(11X,'  -Outer Cond. Diameter (B),Inches = ')");
  return k;
}
const Format& er_prompt() {
  static const Format k("(11X,'  -Relative Dielectric Constant,Er = ')");
  return k;
}
const Format& zo_prompt() {
  static const Format k("(11X,'  -Line Impedance Level (Zo), Ohms = ')");
  return k;
}
const Format& outer_result() {
  static const Format k("(11X,'  -Outer Cond. Diameter (B),Inches =',F7.4)");
  return k;
}
const Format& zo_result() {
  static const Format k("(11X,'  -Line Impedance Level (Zo), Ohms = ',F6.2)");
  return k;
}
const Format& line_banner() {
  static const Format k("(/,11X,'----------',A25,'---------- ')");
  return k;
}
const Format& dimensional_data_heading() {
  static const Format k("(/,6X,'Please enter the following DIMENSIONAL DATA:')");
  return k;
}
const Format& section_count_refused() {
  static const Format k(
      "(/,6X,'ERROR DETECTED: N must be less than 31',/,22X,'and greater than 1.',/)");
  return k;
}

void ask_inner_diameter(Console& con, float outer, float& inner) {
  con.prompt(inner_prompt());
  float temp = con.read_number();
  if (temp > 0) inner = temp;
  for (;;) {
    if (outer == 0 && inner == 0) {
      con.prompt(inner_prompt());
    } else if (outer != 0 && inner >= outer) {
      con.write(inner_not_smaller());
      con.prompt(reenter_inner());
    } else {
      return;
    }
    temp = con.read_number();
    if (temp > 0) inner = temp;
  }
}

void ask_missing_diameter(Console& con, float& outer, float& inner, float er, float& zo,
                          const float* zo_start) {
  static const Format kUnrealizable(
      "(/,6X,'ERROR DETECTED: This impedance gives no realizable',/,22X,'line for the given "
      "diameter. Re-enter Zo.',/)");
  static const Format kInnerResult("(11X,'  -Inner Cond. Diameter (D),Inches =',F7.4)");
  const MissingDiameter missing = outer == 0 ? MissingDiameter::kOuter : MissingDiameter::kInner;
  for (;;) {
    if (zo_start != nullptr) zo = *zo_start;
    con.prompt(zo_prompt());
    const float temp = con.read_number();
    if (temp > 0) zo = temp;
    const DiameterSolution s = solve_diameter(outer, inner, er, zo, missing);
    if (!s.ok) {
      con.write(kUnrealizable);
      continue;
    }
    if (missing == MissingDiameter::kOuter) {
      outer = s.outer;
      con.write(outer_result(), {outer});
    } else {
      inner = s.inner;
      con.write(kInnerResult, {inner});
    }
    return;
  }
}

Step DialogRun::synthesis_dimensions() {
  static const char* const kRows[4] = {"--- SOURCE IMPEDANCE ----", " HIGH IMPEDANCE SECTIONS ",
                                       " LOW  IMPEDANCE SECTIONS ", "---- LOAD IMPEDANCE -----"};
  LineKinds& k = ds_.lines;
  con_.write(dimensional_data_heading());
  for (int j = kSourceLine; j <= kLoadLine; ++j) {
    con_.write(line_banner(), {kRows[j]});
    if (j == kLowLine) {
      // Both section kinds share one outer conductor.
      k.outer(kLowLine) = k.outer(kHighLine);
      con_.write(outer_result(), {k.outer(kLowLine)});
    } else {
      ask_positive(outer_prompt(), k.outer(j));
    }
    ask_inner_diameter(con_, k.outer(j), k.inner(j));
    ask_at_least_one(er_prompt(), k.er(j));

    if (k.outer(j) == 0 || k.inner(j) == 0) {
      ask_missing_diameter(con_, k.outer(j), k.inner(j), k.er(j), k.zo(j), nullptr);
    } else {
      k.zo(j) = line_impedance(k.outer(j), k.inner(j), k.er(j));
      con_.write(zo_result(), {k.zo(j)});
    }
    ds_.ports.rs = k.zo(kSourceLine);
    ds_.ports.rl = k.zo(kLoadLine);
  }
  return c_.origin == Origin::kDistributedRequested ? Step::kStorage : Step::kDesignData;
}

Step DialogRun::design_data() {
  static const Format kHeader("(/,6X,'Please enter the following DESIGN DATA:')");
  static const Format kFc1("(11X,'-Low Pass Cutoff Frequency  (FC1), MHz = ')");
  static const Format kAm("(11X,'-Passband Amplitude Ripple   (Am), dB  = ')");
  static const Format kAmTooLarge(
      "(/,6X,'ERROR DETECTED: Filters with AM > 6.0 dB have',/,22X,'VSWR`s greater than "
      "13.8:1.')");
  static const Format kAmAgain("(27X,'Enter 1 to re-enter Amplitude Ripple, AM : ')");
  static const Format kVswr("(11X,'-Resultant Passband VSWR level         =',F6.3)");
  static const Format kN("(11X,'-Number of sections in Filter (N < 30) = ')");
  static const Format kF1("(11X,'-Out of Band Skirt Frequency (F1), MHz = ')");
  static const Format kF1Inside(
      "(/,6X,'ERROR DETECTED: Skirt frequency must be outside ','of',/,13X,'filter passband. "
      "Enter new skirt frequency.',/)");
  static const Format kA1("(11X,'-Attenuation at Skirt Frequency(A1),dB = ')");
  static const Format kChebyshevA1(
      "(/,6X,'ERROR DETECTED: For Chebyshev response A1 should',' be',/,21X,'greater than "
      "AM. Re-enter A1 and AM.',/)");
  static const Format kButterworthA1(
      "(/,6X,'ERROR DETECTED: For Butterworth response A1 ','should',/,23X,'be greater than "
      "4.0. Re-enter A1.',/)");
  static const Format kA1NotAboveAm(
      "(/,6X,'ERROR DETECTED: Skirt attenuation A1 must be',/,23X,'greater than AM. Re-enter "
      "A1.',/)");
  static const Format kNeeded("(11X,'-Number of sections needed in Filter   =',I3)");
  static const Format kActual("(11X,'-Actual Attenuation at',F8.2,' MHz, dB =',F6.2)");
  static const Format kTooMany(
      "(/,6X,'ERROR DETECTED: Filter Synthesis is',/,15X,'limited to N less than 31.',/)");
  static const Format kZo("(11X,'-Impedance Level of System  (Zo), Ohms = ')");

  DesignData& s = ds_.design;
  const bool chebyshev = c_.response == Response::kChebyshev;
  con_.write(kHeader);
  if (c_.option == Option::kDistributed) ask_configuration();
  ask_positive(kFc1, s.cutoff_mhz);

  enum class At { kRipple, kCount, kSkirtFrequency, kSkirtAttenuation, kImpedance };
  At at = chebyshev ? At::kRipple : At::kCount;
  while (at != At::kImpedance) {
    switch (at) {
      case At::kRipple: {
        const float temp = ask(kAm);
        if (std::fabs(temp) > 0) s.ripple_db = std::fabs(temp);
        if (s.ripple_db > kMaxRippleDb) {
          con_.write(kAmTooLarge);
          if (ask_menu(kAmAgain) == 1) break;
        }
        con_.write(kVswr, {ripple_vswr(s.ripple_db)});
        at = At::kCount;
        break;
      }
      case At::kCount: {
        con_.prompt(kN);
        const NumericField answer = con_.read_field();
        const int itemp = nint(answer.value);
        if (itemp > 0) {
          s.sections = itemp;
        } else if (!answer.blank && answer.value == 0) {
          s.sections = 0;  // an explicit 0 asks for the count from F1 and A1
        }
        c_.count_from_skirt = false;
        if (s.sections == 0 && c_.option == Option::kElectrical) {
          at = At::kSkirtFrequency;
        } else if (!synthesizable_section_count(s.sections)) {
          con_.write(section_count_refused());
        } else {
          at = At::kImpedance;
        }
        break;
      }
      case At::kSkirtFrequency:
        c_.count_from_skirt = true;
        ask_positive(kF1, s.skirt_mhz);
        if (!(s.skirt_mhz > s.cutoff_mhz)) {
          con_.write(kF1Inside);
          break;
        }
        at = At::kSkirtAttenuation;
        break;
      case At::kSkirtAttenuation: {
        const float temp = ask(kA1);
        if (std::fabs(temp) > 0) s.skirt_atten_db = std::fabs(temp);
        if (!(s.skirt_atten_db > least_skirt_attenuation_db(c_.response, s.ripple_db))) {
          // A Chebyshev skirt not above the ripple asks for the ripple again too.
          con_.write(chebyshev ? kChebyshevA1 : kButterworthA1);
          if (chebyshev) at = At::kRipple;
          break;
        }
        const SectionCount count =
            section_count(s.ripple_db, s.skirt_atten_db, s.cutoff_mhz, s.skirt_mhz, c_.response);
        if (!count.ok) {
          con_.write(kA1NotAboveAm);
          break;
        }
        s.sections = count.n;
        s.skirt_reached_db = count.reached_db;
        con_.write(kNeeded, {s.sections});
        con_.write(kActual, {s.skirt_mhz, s.skirt_reached_db});
        if (s.sections > kMaxSections) {
          con_.write(kTooMany);
          at = At::kSkirtFrequency;
          break;
        }
        at = At::kImpedance;
        break;
      }
      case At::kImpedance:
        break;
    }
  }
  ask_positive(kZo, s.system_impedance);
  return Step::kStorage;
}

Step DialogRun::storage() {
  static const Format kWanted("(/,6X,'Is Output Data STORAGE desired (1=YES)= ')");
  static const Format kChoices(
      "(6X,'Enter a FILENAME (up to 20 characters) for Output Data storage: ',/,10X,'-Enter: "
      "Filename.xls for storage in a spreadsheet',/,10X,'-Enter: Filename.doc for storage in a "
      "word processor',/,10X,'-Enter: Filename.txt for storage as a text document')");
  static const Format kName("(11X,'Enter your FILENAME for Output Data Storage: ')");
  static const Format kReserved(
      "(/,6X,'Filename: ',A10,' is reserved by Mandrelix.',/,6X,'Please enter a different "
      "filename.',/)");
  for (;;) {
    c_.store_report = false;
    if (ask_menu(kWanted) != 1) return Step::kReturn;
    con_.write(kChoices);
    con_.prompt(kName);
    const Name20 fname = con_.read_name();
    if (!fname.blank()) ds_.files.report = fname;
    if (is_reserved_name(ds_.files.report)) {
      con_.write(kReserved, {ds_.files.report});
      continue;
    }
    c_.store_report = true;
    return Step::kReturn;
  }
}

}  // namespace mx
