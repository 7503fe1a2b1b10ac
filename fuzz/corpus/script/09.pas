begin (* jamais fermé
end.
