unit Sample;

interface

procedure Greet;

implementation

procedure Greet;
begin
  WriteLn('Hello');
end;

end.
