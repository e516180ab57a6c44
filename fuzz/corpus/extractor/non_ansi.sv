module n(a, b, c);
  output [1:0] c;
  input a; /* c */ input wire signed [3:0][1:0] b;
  function f; input x; endfunction
endmodule
macromodule k; endmodule
