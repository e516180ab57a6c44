// Helper functions of the SoC framework (stand-in: the example only imports them).
package optimsoc_functions;
  function automatic int clog2_width(int value);
    return value <= 1 ? 1 : $clog2(value);
  endfunction
endpackage
