open Unit1.pas
select 22 1 25 1
key Tab
select 22 1 99 1
save
