// Synthesis data entry: the cross-sections of the four line kinds, the design
// data (configuration, FC1, ripple, section count or skirt, Zo) and the
// storage question that ends every path of the dialog.
#include <cmath>

#include "coax/geometry.h"
#include "dialog/dialog_run.h"
#include "lumped/section_count.h"
#include "model/convert.h"

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

}  // namespace

const Format& outer_prompt() {
  static const Format k("(11X,'  -Outer Cond. Diameter (B),Inches = ')");
  return k;
}
const Format& inner_prompt() {
  static const Format k("(11X,'  -Inner Cond. Diameter (D),Inches = ')");
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
const Format& inner_result() {
  static const Format k("(11X,'  -Inner Cond. Diameter (D),Inches =',F7.4)");
  return k;
}
const Format& zo_result() {
  static const Format k("(11X,'  -Line Impedance Level (Zo), Ohms = ',F6.2)");
  return k;
}
const Format& unrealizable_zo() {
  static const Format k(
      "(/,6X,'ERROR DETECTED: This impedance gives no realizable',/,22X,'line for the given "
      "diameter. Re-enter Zo.',/)");
  return k;
}
const Format& line_banner() {
  static const Format k("(/,11X,'----------',A25,'---------- ')");
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

Step DialogRun::synthesis_dimensions() {
  static const Format kHeader("(/,6X,'Please enter the following DIMENSIONAL DATA:')");
  static const char* const kRows[4] = {"--- SOURCE IMPEDANCE ----", " HIGH IMPEDANCE SECTIONS ",
                                       " LOW  IMPEDANCE SECTIONS ", "---- LOAD IMPEDANCE -----"};
  con_.write(kHeader);
  for (int j = 0; j < 4; ++j) {
    con_.write(line_banner(), {kRows[j]});
    if (j == 2) {
      r2_.synb(2) = r2_.synb(1);
      con_.write(outer_result(), {r2_.synb(2)});
    } else {
      ask_positive(outer_prompt(), r2_.synb(j));
    }
    ask_inner_diameter(con_, r2_.synb(j), r2_.synd(j));
    ask_at_least_one(er_prompt(), r2_.syner(j));

    if (r2_.synb(j) == 0 || r2_.synd(j) == 0) {
      // One diameter from the impedance; a refused impedance is asked again.
      const int isyn = r2_.synb(j) == 0 ? 2 : 1;
      for (;;) {
        ask_positive(zo_prompt(), r2_.synzo(j));
        float b = r2_.synb(j);
        float d = r2_.synd(j);
        int ierr = 0;
        cxsyn(b, d, r2_.syner(j), r2_.synzo(j), isyn, ierr);
        if (ierr != 0) {
          con_.write(unrealizable_zo());
          continue;
        }
        if (isyn == 2) {
          r2_.synb(j) = b;
          con_.write(outer_result(), {r2_.synb(j)});
        } else {
          r2_.synd(j) = d;
          con_.write(inner_result(), {r2_.synd(j)});
        }
        break;
      }
    } else {
      cxzo(r2_.synb(j), r2_.synd(j), r2_.syner(j), r2_.synzo(j));
      con_.write(zo_result(), {r2_.synzo(j)});
    }
    r1_.zrs = r2_.synzo(0);
    r1_.zrl = r2_.synzo(3);
  }
  return i1_.ifrom == 3 ? Step::kStorage : Step::kDesignData;
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
  static const Format kBadN(
      "(/,6X,'ERROR DETECTED: N must be less than 31',/,22X,'and greater than 1.',/)");
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

  con_.write(kHeader);
  if (i1_.iop == 2) ask_configuration();
  ask_positive(kFc1, r1_.fc1);

  enum class At { kRipple, kCount, kSkirtFrequency, kSkirtAttenuation, kImpedance };
  At at = i1_.isubop == 1 ? At::kRipple : At::kCount;
  while (at != At::kImpedance) {
    switch (at) {
      case At::kRipple: {
        const float temp = ask(kAm);
        if (std::fabs(temp) > 0) r1_.am = std::fabs(temp);
        if (r1_.am > 6.0f) {
          con_.write(kAmTooLarge);
          if (ask_menu(kAmAgain) == 1) break;
        }
        const float rho = std::sqrt(1.0f - std::pow(10.0f, -r1_.am / 10.0f));
        const float vswr = (1.0f + rho) / (1.0f - rho);
        con_.write(kVswr, {vswr});
        at = At::kCount;
        break;
      }
      case At::kCount: {
        con_.prompt(kN);
        const NumericField answer = con_.read_field();
        const int itemp = nint(answer.value);
        if (itemp > 0) {
          i1_.n = itemp;
        } else if (!answer.blank && answer.value == 0) {
          i1_.n = 0;  // an explicit 0 asks for the count from F1 and A1
        }
        i1_.iskirt = 0;
        if (i1_.n == 0 && i1_.iop == 1) {
          at = At::kSkirtFrequency;
        } else if (i1_.n <= 1 || i1_.n > 30) {
          con_.write(kBadN);
        } else {
          at = At::kImpedance;
        }
        break;
      }
      case At::kSkirtFrequency:
        i1_.iskirt = 1;
        ask_positive(kF1, r1_.f1);
        if (!(r1_.f1 > r1_.fc1)) {
          con_.write(kF1Inside);
          break;
        }
        at = At::kSkirtAttenuation;
        break;
      case At::kSkirtAttenuation: {
        const float fc = r1_.fc1;
        const float temp = ask(kA1);
        if (std::fabs(temp) > 0) r1_.a1 = std::fabs(temp);
        if (i1_.isubop == 1) {
          if (!(r1_.a1 > r1_.am)) {
            con_.write(kChebyshevA1);
            at = At::kRipple;
            break;
          }
        } else if (!(r1_.a1 > 4.0f)) {
          con_.write(kButterworthA1);
          break;
        }
        int ierr = 0;
        nsectn(r1_.am, r1_.a1, a2_, fc, r1_.f1, fh1_, fl1_, i1_.ides, ierr, i1_.isubop, i1_.n);
        if (ierr != 0) {
          con_.write(kA1NotAboveAm);
          break;
        }
        con_.write(kNeeded, {i1_.n});
        con_.write(kActual, {r1_.f1, a2_});
        if (i1_.n > 30) {
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
  ask_positive(kZo, r1_.zo);
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
    i1_.istore = 0;
    if (ask_menu(kWanted) != 1) return Step::kReturn;
    con_.write(kChoices);
    con_.prompt(kName);
    const Name20 fname = con_.read_name();
    if (!fname.blank()) ds_.char1.fno = fname;
    if (is_reserved_name(ds_.char1.fno)) {
      con_.write(kReserved, {ds_.char1.fno});
      continue;
    }
    i1_.istore = 1;
    return Step::kReturn;
  }
}

}  // namespace mx
