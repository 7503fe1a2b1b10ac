//Ecrivez un script entre begin et end.
//N'oubliez pas de finir chaque commande par ;
begin

end.
