// The procedure's grammar: one table per statement family (grammar_*.cpp) and the grammar
// that the parse-control block hands the host's parser.
#pragma once
#include "host/grammar.h"

// The whole grammar of the procedure.
const grammar* vyxgrammar();

// Option tables of the statement families, each with its length.
extern const goption g_probplot_opts[];     // PROBPLOT: the shared numbering
extern const int16_t g_probplot_nopts;
extern const goption g_relplot_opts[];      // RELATIONPLOT: its own rows
extern const int16_t g_relplot_nopts;
extern const char* const g_relplot_except[];
extern const goption g_mcfplot_opts[];      // MCFPLOT: its own rows
extern const int16_t g_mcfplot_nopts;
extern const char* const g_mcfplot_shared[];
extern const goption g_analyze_opts[];
extern const int16_t g_analyze_nopts;
extern const goption g_model_opts[];
extern const int16_t g_model_nopts;
extern const goption g_logscale_opts[];
extern const int16_t g_logscale_nopts;
extern const goption g_inset_opts[];
extern const int16_t g_inset_nopts;
extern const ginsetitem g_inset_items[];
extern const int16_t g_inset_nitems;
extern const ginsetdist g_inset_dists[];
extern const int16_t g_inset_ndists;
extern const goption g_fmode_opts[];
extern const int16_t g_fmode_nopts;
extern const goption g_make_opts[];
extern const int16_t g_make_nopts;
extern const goption g_proc_opts[];
extern const int16_t g_proc_nopts;
extern const goption g_class_opts[];
extern const int16_t g_class_nopts;
extern const gconst g_distributions[];
extern const int16_t g_ndistributions;
extern const gconst g_relations[];
extern const int16_t g_nrelations;
