var a = 1;
trace(a);
