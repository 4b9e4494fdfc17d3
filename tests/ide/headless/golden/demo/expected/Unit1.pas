unit Unit1;

interface

uses
  SysUtils, Classes, Forms;

type
  TForm1 = class(TForm)
    procedure FormCreate(Sender: TObject);
  end;

var
  Form1: TForm1;

implementation

{$R *.dfm}

procedure TForm1.FormCreate(Sender: TObject);
begin
  Caption := 'Hello';
  Width := 400;
  Height := 300;
end;

	end.
