// The tuning parameters of single algorithms, named by their options keys. Algorithms read the
// value current when they run; the run driver sets presets or asks for them before a run.
#pragma once

#include <cstdint>

namespace mv {

struct Parameters {
  double exponent = 0.5;                // "exponent", 0 < e < 1
  int32_t BlockSize = 1;                // "BlockSize"
  int32_t maximale_Tauschdistanz = 99;  // maximum exchange distance, n - 1
  double log_base = 2.0;                // "log_base", > 1
  int32_t param1_healy = 200;
  int32_t param2_healy = 60;
  int32_t param3_healy = 18;
  int32_t param4_healy = 6;
  int32_t Param_heapnsort = 2;  // arity of the n heap
  int32_t Param_heapfsort = 2;  // heap F factor, 0..17
  int32_t NUMBER = 50;          // number of cyclically moved elements, n div 2
  int32_t lenW = 0;
  int32_t Param_pardo = 0;  // influences the block size
  int32_t ratio = 3;        // proportion of the smaller subarray, 1:ratio
  int32_t param_m2s = 256;
  double Param_pe_sort = 2.0;  // growth factor, > 1
  int32_t pivotbuffersize = 4;
  int32_t smallsegmentsizecb = 0;
  int32_t smallsegmentsizetb = 0;
  int32_t MoM_Parameter = 4;    // step distance of the median of medians
  int32_t Param_n_quick = 2;    // pivot number, 0 means sqrt(n)
  int32_t Basis = 2;            // base (radix)
  int32_t Param_shearsort = 9;  // shear sort grid rows, a divisor of n
  int32_t compareRegionscound = 4;
  double Param_sps_and_sp_sort = 2.0;  // growth factor, > 1
  int32_t minrun1 = 50;
  int32_t minrun2 = 25;
  int32_t thread_limit = 0;  // simultaneous threads, 0 = without limit
};

extern Parameters parameters;

// Shear sort grid rows for n columns: Round(sqrt n) - 1 (1 if 0), lowered while >= 2 and not a
// divisor of n.
int32_t shear_sort_rows_for(int n);
int32_t minrun1_for(int n);
int32_t minrun2_for(int n);
// Integer part of log2 n, plus 1: the default maximum recursion depth.
int32_t recursion_depth_for(int n);

// The correction rules of the parameters (the bounds their prompts check), for n columns. Each
// brings a value into its parameter's bounds and says how it changed it: the prompts tell the
// user ("Increased to ..."), values from the options file or the batch tool's command line are
// corrected silently. Parameters without a rule stay as they are.
enum class Correction { none, increased, decreased };
Correction correct_parameter(int32_t Parameters::*field, int32_t& value, int n);
Correction correct_parameter(double Parameters::*field, double& value);
// Every parameter through its rule, without a word.
void correct_parameters_silently(int n);
// The largest divisor of n not above v (v above n counts as n; 1 for v < 1).
int32_t largest_divisor_not_above(int n, int32_t v);

// Sets the columns-dependent defaults for n columns.
void recompute_column_defaults(int n);
// Every parameter to its preset standard value, as when "parameter input" is off ("exponent" and
// "log_base" keep their values).
void set_parameter_presets(int n);

}  // namespace mv
